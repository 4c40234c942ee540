// The glass button's properties: each setter stores its value and repaints, or tells the
// other buttons of its group, as the property needs.
#include "widgets/glassbutton.h"

#include <QAccessible>
#include <QAction>

namespace {

/** Stores `value` in `field`; true when that changed it (the caller then repaints or tells others). */
template<typename T> bool assign(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

QString TCustomGlassButton::version() const
{
    const quint32 nr = GetVersionNr();
    return QStringLiteral("%1.%2.%3.%4").arg(nr >> 24).arg((nr >> 16) & 0xFF).arg((nr >> 8) & 0xFF).arg(nr & 0xFF);
}

void TCustomGlassButton::setCaption(const QString& caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    grabAccelerator();
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void TCustomGlassButton::grabAccelerator()
{
    if (m_acceleratorId != 0)
        releaseShortcut(m_acceleratorId);
    m_acceleratorId = 0;
    const QKeySequence key = QKeySequence::mnemonic(m_caption);
    if (!key.isEmpty())
        m_acceleratorId = grabShortcut(key);
}

void TCustomGlassButton::setFontColor(TColor color)
{
    if (assign(m_fontColor, color))
        update();
}
void TCustomGlassButton::setBackColor(TColor color)
{
    if (assign(m_backColor, color))
        update();
}
void TCustomGlassButton::setForeColor(TColor color)
{
    if (assign(m_foreColor, color))
        update();
}
void TCustomGlassButton::setGlowColor(TColor color)
{
    if (assign(m_glowColor, color))
        update();
}
void TCustomGlassButton::setShineColor(TColor color)
{
    if (assign(m_shineColor, color))
        update();
}
void TCustomGlassButton::setInnerBorderColor(TColor color)
{
    if (assign(m_innerBorderColor, color))
        update();
}
void TCustomGlassButton::setOuterBorderColor(TColor color)
{
    if (assign(m_outerBorderColor, color))
        update();
}
void TCustomGlassButton::setBackgroundColor(TColor color)
{
    if (assign(m_backgroundColor, color))
        update();
}
void TCustomGlassButton::setBackGroundSymbolColor(TColor color)
{
    if (assign(m_backGroundSymbolColor, color))
        update();
}

void TCustomGlassButton::setFontBold(bool bold)
{
    QFont f = font();
    f.setBold(bold);
    setChangedFont(f);
}

void TCustomGlassButton::setFontPointSize(int points)
{
    // Layouts are in pixels at 96 dpi; keeping whole pixels makes the size independent of the screen.
    QFont f = font();
    f.setPixelSize((points * 96 + 36) / 72);
    setChangedFont(f);
}

void TCustomGlassButton::setChangedFont(const QFont& f)
{
    // The marking passes set every button's font on each choice; QWidget::setFont resolves the
    // font against the parent's even when nothing changes, which is most of the time.
    const QFont& current = font();
    if (f == current && f.resolveMask() == current.resolveMask())
        return;
    setFont(f); // a font change repaints through changeEvent()
}

void TCustomGlassButton::setCornerRadius(int radius)
{
    if (radius < 0 || radius == m_cornerRadius)
        return;
    m_cornerRadius = radius;
    update();
}

void TCustomGlassButton::setButtonShape(TButtonShape shape)
{
    if (assign(m_buttonShape, shape))
        update();
}

void TCustomGlassButton::setButtonDirection(TButtonDirection direction)
{
    if (assign(m_buttonDirection, direction))
        update();
}

void TCustomGlassButton::setForceTransparent(bool on)
{
    if (assign(m_forceTransparent, on))
        update();
}

void TCustomGlassButton::setBackGroundSymbol(TBackGroundSymbol symbol)
{
    if (assign(m_backGroundSymbol, symbol))
        update();
}

void TCustomGlassButton::setLayout(TButtonLayout layout)
{
    if (assign(m_layout, layout))
        update();
}

void TCustomGlassButton::setShowCaption(bool show)
{
    if (assign(m_showCaption, show))
        update();
}

void TCustomGlassButton::setShowFocusRect(bool show)
{
    if (assign(m_showFocusRect, show))
        update();
}

void TCustomGlassButton::setAntiAlias(TAntiAlias mode)
{
    if (assign(m_antiAlias, mode))
        update();
}

void TCustomGlassButton::setPicture(const QImage& image)
{
    m_picture = image;
    update();
}

void TCustomGlassButton::setPictureDown(const QImage& image)
{
    m_pictureDown = image;
}

void TCustomGlassButton::setPictureDisabled(const QImage& image)
{
    m_pictureDisabled = image;
    update();
}

void TCustomGlassButton::setTabStop(bool on)
{
    m_tabStop = on;
    setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
}

void TCustomGlassButton::setDown(bool down)
{
    if (FGroupIndex == 0 && FStyle == tasButton)
        down = false;
    if (FStyle == tasCheck) {
        FDown = down;
        FState = down ? absDown : absUp;
        repaint();
        return;
    }
    if (down == FDown || (FDown && !FAllowAllUp))
        return;
    FDown = down;
    if (down) {
        if (FState == absUp)
            update();
        FState = absExclusive;
        announceGroup();
    } else {
        FState = absUp;
        repaint();
    }
}

void TCustomGlassButton::setGroupIndex(int index)
{
    if (assign(FGroupIndex, index))
        announceGroup();
}

void TCustomGlassButton::setAllowAllUp(bool allow)
{
    if (assign(FAllowAllUp, allow))
        announceGroup();
}

void TCustomGlassButton::setStyle(TGlassButtonStyle style)
{
    FStyle = style;
}

void TCustomGlassButton::announceGroup()
{
    if (FGroupIndex == 0 || !parentWidget())
        return;
    for (QObject* child : parentWidget()->children()) {
        auto* other = qobject_cast<TCustomGlassButton*>(child);
        if (!other || other == this || other->FGroupIndex != FGroupIndex)
            continue;
        if (FDown && other->FDown) {
            other->FDown = false;
            other->FState = absUp;
            if (QAction* action = other->action())
                action->setChecked(false);
            other->update();
        }
        other->FAllowAllUp = FAllowAllUp;
    }
}

void TCustomGlassButton::syncState()
{
    if (!isEnabled()) {
        FState = absDisabled;
        FDragging = false;
    } else if (FState == absDisabled) {
        FState = (FDown && FGroupIndex != 0) ? absExclusive : absUp;
    }
    if (FStyle == tasCheck && FDown)
        FState = absDown;
}

bool TCustomGlassButton::isPressedLook() const
{
    return FMouseDownInControl || FDown || FState == absDown || FState == absExclusive;
}
