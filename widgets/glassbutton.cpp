#include "glassbutton.h"

#include "glassaccessible.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcutEvent>
#include <QTimer>

TCustomGlassButton::TCustomGlassButton(QWidget* parent)
    : QWidget(parent)
    , FUnHotTimer(new QTimer(this))
{
    setGeometry(0, 0, 100, 32);
    QFont f = font();
    f.setFamily(QStringLiteral("Tahoma"));
    f.setPixelSize(11); // 8 points at 96 dpi
    setFont(f);
    setFocusPolicy(Qt::TabFocus);
    // Moves without a pressed button are needed to notice the pointer coming back (tracking update).
    setMouseTracking(true);
    // No WA_OpaquePaintEvent and no autoFillBackground: the glass is translucent and the parent
    // and the widgets below must be painted underneath.
    FUnHotTimer->setInterval(1);
    connect(FUnHotTimer, &QTimer::timeout, this, &TCustomGlassButton::unHotTick);
    glass::installAccessibility();
}

TCustomGlassButton::~TCustomGlassButton() = default;

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

void TCustomGlassButton::FireCustomBackgroundSymbol(QPainter& painter, const QRect& rect)
{
    Q_EMIT customBackgroundSymbol(&painter, rect);
}

void TCustomGlassButton::Click()
{
    Q_EMIT clicked();
}

void TCustomGlassButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
        update();
    QWidget::changeEvent(event);
}

void TCustomGlassButton::pointerEntered()
{
    FMouseInControl = true;
    FUnHotTimer->start();
    Q_EMIT mouseEntered();
}

void TCustomGlassButton::pointerLeft()
{
    FUnHotTimer->stop();
    FMouseInControl = false;
    Q_EMIT mouseLeft();
}

void TCustomGlassButton::enterEvent(QEnterEvent* event)
{
    pointerEntered();
    QWidget::enterEvent(event);
}

void TCustomGlassButton::leaveEvent(QEvent* event)
{
    pointerLeft();
    QWidget::leaveEvent(event);
}

void TCustomGlassButton::unHotTick()
{
    // The right and bottom edges lie outside.
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    FUnHotTimer->stop();
    FMouseInControl = false;
    if (isEnabled())
        update();
}

void TCustomGlassButton::trackingUpdate(const QPointF& globalPos)
{
    if (!isEnabled())
        return;
    // childAt() finds disabled widgets too, as the lookup must.
    QWidget* top = window();
    const QPoint inTop = top->mapFromGlobal(globalPos.toPoint());
    QWidget* under = top->rect().contains(inTop) ? top->childAt(inTop) : nullptr;
    if (under == this)
        pointerEntered();
    else
        pointerLeft();
}

namespace {

/** Inside for a tracked press: the bottom edge row counts, the right edge column does not. */
bool insideForDrag(const QWidget* w, QPoint p)
{
    return p.x() >= 0 && p.x() < w->width() && p.y() >= 0 && p.y() <= w->height();
}

} // namespace

void TCustomGlassButton::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    m_pressedHere = true;
    FMouseDownInControl = true;
    if (!FDown) {
        FState = absDown;
        update();
    }
    if (FStyle == tasCheck) {
        FState = absDown;
        repaint();
    }
    if (m_tabStop && isVisible() && isEnabled())
        setFocus(Qt::MouseFocusReason);
    FDragging = true;
}

void TCustomGlassButton::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    if (!FDragging) {
        if (!FMouseInControl)
            trackingUpdate(event->globalPosition());
        return;
    }
    const bool inside = insideForDrag(this, event->position().toPoint());
    TGlassButtonState next = inside ? absDown : absUp;
    if (FDown)
        next = absExclusive;
    if (FStyle == tasCheck && FDown)
        next = absDown;
    if (next != FState) {
        FState = next;
        update();
    }
}

void TCustomGlassButton::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    FMouseDownInControl = false;
    update();
    if (FDragging) {
        FDragging = false;
        const bool inside = insideForDrag(this, p);
        if (FGroupIndex == 0) {
            FState = absUp;
            FMouseInControl = false;
            if (FStyle == tasCheck) {
                setDown(!FDown);
                FState = absUp;
            }
            if (inside)
                update();
        } else if (inside) {
            setDown(!FDown);
            if (FDown)
                repaint();
        } else {
            if (FDown)
                FState = absExclusive;
            repaint();
        }
        trackingUpdate(event->globalPosition());
    }
    // The click itself needs the release strictly inside: the bottom edge row gives none.
    const bool click = m_pressedHere && rect().contains(p);
    m_pressedHere = false;
    if (click) {
        Click();
        update();
    }
}

void TCustomGlassButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The button takes no double clicks: the second press of a fast double click is an ordinary
    // press. Qt sends it as a press followed by this event, so only a lone double click is one.
    if (!FMouseDownInControl)
        mousePressEvent(event);
}

void TCustomGlassButton::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if (enter && plain && FActive && hasFocus()) {
        Click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
    // After the ordinary key handling, a typed space clicks, each repeat again.
    if (event->text() == QLatin1String(" ")) {
        Click();
        event->accept();
    }
}

bool TCustomGlassButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->shortcutId() == m_acceleratorId && m_acceleratorId != 0) {
            if (isVisible() && isEnabled())
                Click();
            return true;
        }
    }
    return QWidget::event(event);
}

void TCustomGlassButton::focusInEvent(QFocusEvent* event)
{
    FActive = true;
    update();
    QWidget::focusInEvent(event);
}

void TCustomGlassButton::focusOutEvent(QFocusEvent* event)
{
    // Another window taking the focus leaves this button the focused control of its own window.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        FActive = false;
    update();
    QWidget::focusOutEvent(event);
}

// ---- Shortcut hint ---------------------------------------------------------------------------------

void TCustomGlassButton::showShortCutHint()
{
    if (!parentWidget())
        return;
    if (!FShortCutHint)
        FShortCutHint = new TShortCutHintWindow(this);
    FShortCutHint->setText(m_shortCutHint);
    FShortCutHint->placeBeside(this, m_shortCutHintPos);
    FShortCutHint->show();
}

void TCustomGlassButton::hideShortCutHint()
{
    if (!FShortCutHint)
        return;
    FShortCutHint->hide();
    delete FShortCutHint.data();
}

int TCustomGlassButton::shortCutHintNotify(int what, int show)
{
    if (what != 1)
        return 0;
    if (show == 1)
        showShortCutHint();
    else if (show == 0)
        hideShortCutHint();
    return 1;
}
