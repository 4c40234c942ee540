#include "widgets/glasspaint.h"

#include "widgets/glassfill.h"

#include <algorithm>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTextLayout>

// The layers, bottom to top: outer ring, opaque background, tint, glow when pressed, shine,
// symbol, inner ring; then focus outline, caption and picture.

namespace {

constexpr int BackgroundAlpha = 255;
constexpr int TintAlpha = 127;
constexpr int GlowCentreAlpha = 173;
constexpr int ShineTopAlpha = 153;
constexpr int ShineBottomAlpha = ShineTopAlpha / 3;
constexpr int SymbolAlpha = 160;
constexpr TColor DisabledText = 0x808080;
constexpr TColor FocusOutline = 0x808080;

} // namespace

// ---- The button's painting ------------------------------------------------------------------------

QColor TCustomGlassButton::toArgb(TColor color) const
{
    if (color == tcolor::WindowText)
        return palette().color(QPalette::WindowText);
    return glass::layerColor(color, 255);
}

const QImage& TCustomGlassButton::chosenPicture() const
{
    if (!isEnabled() && !m_pictureDisabled.isNull())
        return m_pictureDisabled;
    if (((FMouseDownInControl && FMouseInControl) || FDown) && !m_pictureDown.isNull())
        return m_pictureDown;
    return m_picture;
}

namespace {

/**
 * The glass buttons among `parent`'s children, up to `last` if given, that overlap `area`.
 * Geometry is looked at first: it is cheaper than the type check, and few siblings overlap.
 */
template<typename Visit>
void forOverlappingGlass(const QWidget* parent, const QObject* last, const QRect& area, Visit visit)
{
    for (QObject* child : parent->children()) {
        if (child == last)
            return;
        if (!child->isWidgetType() || !static_cast<QWidget*>(child)->geometry().intersects(area))
            continue;
        if (auto* other = qobject_cast<TCustomGlassButton*>(child))
            visit(other);
    }
}

} // namespace

bool TCustomGlassButton::coveredByLowerGlass() const
{
    const QWidget* parent = parentWidget();
    if (!parent)
        return false;
    bool covered = false;
    forOverlappingGlass(parent, this, geometry(),
                        [&covered](const TCustomGlassButton* other) { covered = covered || !other->isHidden(); });
    return covered;
}

void TCustomGlassButton::redrawParentBackground(QPainter& p)
{
    // Qt has already painted the lower siblings here, glass buttons included; this button shows
    // only the window and its plain widgets, so paint those again over a clean image.
    QWidget* parent = parentWidget();
    const QRect own = geometry();
    const qreal dpr = devicePixelRatioF();
    QImage under((QSizeF(size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    under.setDevicePixelRatio(dpr);
    under.fill(Qt::transparent);
    parent->render(&under, QPoint(), QRegion(own), QWidget::DrawWindowBackground);
    for (QObject* child : parent->children()) {
        if (child == this)
            break;
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow() || w->isHidden() || qobject_cast<TCustomGlassButton*>(w))
            continue;
        const QRect inter = own & w->geometry();
        if (inter.isEmpty())
            continue;
        w->render(&under, inter.topLeft() - own.topLeft(), QRegion(inter.translated(-w->pos())), QWidget::DrawChildren);
    }
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, under);
    p.restore();
}

void TCustomGlassButton::paintOverlappingSiblings(QPainter& p)
{
    const QRect own = geometry();
    forOverlappingGlass(parentWidget(), nullptr, own, [&](TCustomGlassButton* other) {
        if (other == this)
            return;
        const QRect inter = own & other->geometry();
        // Drawing the sibling clipped to the overlap gives the same pixels as drawing it into a
        // bitmap of its own over this button's background and copying the overlap back.
        p.save();
        p.setClipRect(inter.translated(-own.topLeft()), Qt::IntersectClip);
        p.translate(other->pos() - own.topLeft());
        other->PaintGlass(p);
        p.restore();
    });
}

void TCustomGlassButton::paintEvent(QPaintEvent*)
{
    syncState();
    QPainter p(this);
    if (coveredByLowerGlass())
        redrawParentBackground(p);
    if (m_forceTransparent && parentWidget())
        paintOverlappingSiblings(p);
    PaintGlass(p);
}

void TCustomGlassButton::PaintGlass(QPainter& p)
{
    using namespace glass;
    const int W = width();
    const int H = height();
    const bool curved = m_buttonShape == btsCurvedRectangle;

    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.translate(0.5, 0.5); // integer coordinates are pixel centres

    if (curved)
        fillBanded(p, outlineArea(CurvedPath(0, 0, W - 1, H - 1, m_buttonDirection)), toArgb(m_outerBorderColor),
                   RingSpansPerRow);
    else
        fillRoundedRing(p, 0, 0, W - 1, H - 1, m_cornerRadius, toArgb(m_outerBorderColor));

    const QPainterPath body = curved ? CurvedPath(1, 1, W - 3, H - 3, m_buttonDirection) : QPainterPath();
    const auto fillBody = [&](const QBrush& brush) {
        if (curved)
            fillBanded(p, body, brush);
        else
            fillBodyUnderRing(p, 1, 1, W - 3, H - 3, m_cornerRadius, brush);
    };
    if (m_backgroundColor != tcolor::None)
        fillBody(layerColor(m_backgroundColor, BackgroundAlpha));
    fillBody(layerColor(m_backColor, TintAlpha));

    if (isPressedLook()) {
        const QRectF box = GlowEllipse(1, 1, W - 3, H - 3).boundingRect();
        const qreal rx = box.width() / 2;
        const qreal ry = box.height() / 2;
        if (rx > 0 && ry > 0) {
            // A path gradient over an ellipse is a radial gradient stretched to the ellipse. Its rim
            // colour is fully transparent and the gradient pads beyond the rim, so filling the body
            // with it equals filling the ellipse clipped to the body.
            QRadialGradient gradient(box.center(), rx);
            gradient.setColorAt(0, layerColor(m_glowColor, GlowCentreAlpha));
            gradient.setColorAt(1, layerColor(m_glowColor, 0));
            QBrush brush(gradient);
            brush.setTransform(QTransform::fromTranslate(box.center().x(), box.center().y())
                                   .scale(1, ry / rx)
                                   .translate(-box.center().x(), -box.center().y()));
            fillBody(brush);
        }
    }

    if (W - 3 > 0 && (H - 3) / 2 > 0) {
        const int sh = (H - 3) / 2 + 1;
        QLinearGradient gradient(QPointF(0, 1), QPointF(0, 1 + sh));
        gradient.setColorAt(0, layerColor(m_shineColor, ShineTopAlpha));
        gradient.setColorAt(1, layerColor(m_shineColor, ShineBottomAlpha));
        if (curved)
            fillBanded(p, TopCurvedPath(1, 1, W - 3, sh, m_buttonDirection), gradient);
        else
            fillHighlightUnderRing(p, 1, 1, W - 3, sh, m_cornerRadius, gradient);
    }

    if (m_backGroundSymbolColor != tcolor::None && m_backGroundSymbol != bsNone) {
        if (m_backGroundSymbol == bsCustom) {
            p.save();
            FireCustomBackgroundSymbol(p, QRect(0, 0, W - 1, H - 1));
            p.restore();
        } else {
            const QColor c = layerColor(m_backGroundSymbolColor, SymbolAlpha);
            const QPainterPath filled = SymbolFillPath(m_backGroundSymbol, W - 1, H - 1);
            if (!filled.isEmpty())
                fillBanded(p, filled, c);
            const QPainterPath stroked = SymbolStrokePath(m_backGroundSymbol, W - 1, H - 1);
            if (!stroked.isEmpty())
                fillBanded(p, stroked, c);
        }
    }

    if (curved)
        fillBanded(p, outlineArea(body), toArgb(m_innerBorderColor), RingSpansPerRow);
    else
        fillRoundedRing(p, 1, 1, W - 3, H - 3, m_cornerRadius, toArgb(m_innerBorderColor));
    p.restore();

    DrawButtonContent(p);
}

void TCustomGlassButton::DrawButtonContent(QPainter& p)
{
    using namespace glass;
    const int w = width();
    const int h = height();
    const bool curved = m_buttonShape == btsCurvedRectangle;

    if (hasFocus() && m_showFocusRect) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, true);
        p.translate(0.5, 0.5);
        const QPainterPath focus = curved ? CurvedPath(6, 5, w - 12, h - 10, m_buttonDirection)
                                          : RoundedRectPath(4, 4, w - 8, h - 8, m_cornerRadius - 2);
        fillBanded(p, outlineArea(focus), toArgb(FocusOutline), RingSpansPerRow);
        p.restore();
    }

    const QImage& picture = chosenPicture();
    const int pw = picture.isNull() ? 0 : int(picture.deviceIndependentSize().width());
    const int ph = picture.isNull() ? 0 : int(picture.deviceIndependentSize().height());
    const QString caption = m_showCaption ? m_caption : QString();
    if (caption.isEmpty()) {
        if (!picture.isNull())
            p.drawImage(QPoint(std::max((w - pw) / 2, 0), std::max((h - ph) / 2, 0)), picture);
        return;
    }

    Qt::Alignment hAlign = Qt::AlignHCenter;
    if (m_layout == blGlyphLeftAdjusted)
        hAlign = Qt::AlignLeft;
    else if (m_layout == blGlyphRightAdjusted)
        hAlign = Qt::AlignRight;
    Qt::Alignment vAlign = Qt::AlignVCenter;
    if (m_layout == blGlyphTopAdjusted)
        vAlign = Qt::AlignTop;
    else if (m_layout == blGlyphBottomAdjusted)
        vAlign = Qt::AlignBottom;
    const auto vOffset = [vAlign](qreal room, qreal used) {
        if (vAlign == Qt::AlignTop)
            return qreal(0);
        return vAlign == Qt::AlignBottom ? room - used : (room - used) / 2;
    };

    // The anti-aliased path takes the size in whole points, as the font reports it.
    QFont smoothFont = font();
    smoothFont.setStrikeOut(false);
    const int dpi = p.device() ? p.device()->logicalDpiY() : 96;
    smoothFont.setPointSizeF(fontPoints(font()) * 96.0 / (dpi > 0 ? dpi : 96));
    smoothFont.setHintingPreference(m_antiAlias == aaAntiAlias ? QFont::PreferNoHinting : QFont::PreferDefaultHinting);
    // Captions are short words and labels, drawn without kerning or ligatures: Latin text then skips
    // the shaper, which is a good part of a caption's cost.
    smoothFont.setStyleStrategy(QFont::StyleStrategy(smoothFont.styleStrategy() | QFont::PreferNoShaping));
    // Asked of the font the caption is laid out in: the face it resolves to is loaded once for both.
    const bool smoothPath = m_antiAlias != aaNone && smoothFaceInstalled(smoothFont);

    // Measured in the whole client rectangle; only the picture's place depends on it.
    QRectF measured;
    if (pw > 0) {
        QTextLayout layout(QString(), smoothFont, p.device());
        prepareLayout(layout, caption, hAlign, QTextOption::WrapAtWordBoundaryOrAnywhere);
        const TextBlock block = layoutLines(layout, w, 0);
        measured = block.bounds.translated(0, vOffset(h, block.height));
        measured.setHeight(block.height);
    }
    const ContentPlacement place = placeContent(m_layout, QSize(w, h), QSize(pw, ph), curved, measured);
    const QRect& box = place.captionBox;
    const int py = place.picture.y();

    if (box.width() > 0 && box.height() > 0) {
        p.save();
        if (smoothPath) {
            QTextLayout layout(QString(), smoothFont, p.device());
            prepareLayout(layout, caption, hAlign, QTextOption::WrapAtWordBoundaryOrAnywhere);
            const TextBlock block = layoutLines(layout, box.width(), 0);
            p.setClipRect(box, Qt::IntersectClip);
            p.setPen(isEnabled() ? toArgb(m_fontColor) : toArgb(DisabledText));
            layout.draw(&p, QPointF(box.x(), box.y() + vOffset(box.height(), block.height)));
        } else {
            // The plain path: whole pixels, words kept whole, the font colour even when disabled.
            QFont plainFont = font();
            if (m_antiAlias == aaNone)
                plainFont.setStyleStrategy(QFont::NoAntialias);
            QRect r(box.x(), box.y(), box.width(), box.height());
            if (m_layout == blGlyphLeftAdjusted)
                r.setLeft(r.left() + 2);
            QTextLayout layout(QString(), plainFont, p.device());
            prepareLayout(layout, caption, hAlign, QTextOption::WordWrap);
            const int lineHeight = QFontMetrics(plainFont, p.device()).height();
            const int th = int(layoutLines(layout, r.width(), lineHeight).height);
            int top = r.top();
            const int bottom = r.top() + r.height();
            if (m_layout == blGlyphTop)
                top = (py + ph) + (bottom - (py + ph) - th) / 2;
            else if (m_layout == blGlyphBottomAdjusted)
                top = bottom - th;
            else if (m_layout != blGlyphTopAdjusted)
                top = (bottom - top - th) / 2;
            p.setClipRect(QRect(QPoint(r.left(), top), QPoint(r.right(), bottom - 1)), Qt::IntersectClip);
            p.setPen(toArgb(m_fontColor));
            layout.draw(&p, QPointF(r.left(), top));
        }
        p.restore();
    }

    if (!picture.isNull())
        p.drawImage(place.picture, picture);
}
