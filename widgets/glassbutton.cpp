#include "glassbutton.h"

#include "glassaccessible.h"
#include "glassbuttonactionlink.h"

#include <optional>
#include <QAccessible>
#include <QAction>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QHash>
#include <QKeyEvent>
#include <QMetaMethod>
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

namespace {

/**
 * Where the pointer was at the last pointer event the application received, for the un-hot
 * check of the buttons that are hot. Reading it costs nothing, where asking the window system
 * for the pointer is a round trip to the X server. The filter watches the application's events
 * only while a button is hot; every pointer event then starts the hot buttons' un-hot timers
 * once more, so the pointer leaving a button is noticed whether a leave event comes or not, and
 * a resting pointer costs nothing.
 */
class PointerWatch final : public QObject
{
public:
    static PointerWatch* instance()
    {
        static QPointer<PointerWatch> watch;
        if (!watch && QCoreApplication::instance())
            watch = new PointerWatch(QCoreApplication::instance());
        return watch;
    }

    void follow(TCustomGlassButton* button, QTimer* unHotTimer, const QPointF& globalPos)
    {
        m_pointer = globalPos;
        if (m_hot.isEmpty())
            QCoreApplication::instance()->installEventFilter(this);
        m_hot.insert(button, unHotTimer);
    }

    void unfollow(TCustomGlassButton* button)
    {
        if (m_hot.remove(button) && m_hot.isEmpty())
            QCoreApplication::instance()->removeEventFilter(this);
    }

    /** The last known pointer position; empty once the pointer has left the application's windows. */
    std::optional<QPointF> pointer() const { return m_pointer; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Enter:
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (event->isSinglePointEvent())
                moved(static_cast<QSinglePointEvent*>(event)->globalPosition());
            break;
        case QEvent::Leave:
            // A native window left: the pointer is in none of ours until the next enter.
            if (watched->isWindowType())
                moved(std::nullopt);
            break;
        default:
            break;
        }
        return false;
    }

private:
    using QObject::QObject;

    void moved(std::optional<QPointF> pointer)
    {
        m_pointer = pointer;
        for (QTimer* timer : std::as_const(m_hot))
            if (!timer->isActive())
                timer->start();
    }

    QHash<TCustomGlassButton*, QTimer*> m_hot;
    std::optional<QPointF> m_pointer;
};

} // namespace

TCustomGlassButton::~TCustomGlassButton()
{
    if (PointerWatch* watch = PointerWatch::instance())
        watch->unfollow(this);
}

QAction* TCustomGlassButton::action() const
{
    return m_actionLink ? m_actionLink->action() : nullptr;
}

void TCustomGlassButton::setAction(QAction* action)
{
    if (action == this->action())
        return;
    delete m_actionLink;
    m_actionLink = action ? new TGlassButtonActionLink(this, action) : nullptr;
}

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

void TCustomGlassButton::FireCustomBackgroundSymbol(QPainter& painter, const QRect& rect)
{
    Q_EMIT customBackgroundSymbol(&painter, rect);
}

void TCustomGlassButton::Click()
{
    // A click handler of its own wins over the action, as it would over the action's handler.
    if (QAction* action = this->action();
        action && !isSignalConnected(QMetaMethod::fromSignal(&TCustomGlassButton::clicked)))
        action->trigger();
    else
        Q_EMIT clicked();
}

bool TCustomGlassButton::hasDoubleClickReceiver() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&TCustomGlassButton::doubleClicked));
}

void TCustomGlassButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
        update();
    QWidget::changeEvent(event);
}

void TCustomGlassButton::pointerEntered(const QPointF& globalPos)
{
    FMouseInControl = true;
    if (PointerWatch* watch = PointerWatch::instance())
        watch->follow(this, FUnHotTimer, globalPos);
    FUnHotTimer->start();
    Q_EMIT mouseEntered();
}

void TCustomGlassButton::pointerLeft()
{
    FUnHotTimer->stop();
    if (PointerWatch* watch = PointerWatch::instance())
        watch->unfollow(this);
    FMouseInControl = false;
    Q_EMIT mouseLeft();
}

void TCustomGlassButton::enterEvent(QEnterEvent* event)
{
    pointerEntered(event->globalPosition());
    QWidget::enterEvent(event);
}

void TCustomGlassButton::leaveEvent(QEvent* event)
{
    pointerLeft();
    QWidget::leaveEvent(event);
}

void TCustomGlassButton::unHotTick()
{
    // The timer runs again at the next pointer event or move of the button: until then nothing
    // can change, so a resting pointer costs no ticks.
    FUnHotTimer->stop();
    PointerWatch* watch = PointerWatch::instance();
    const std::optional<QPointF> pointer = watch ? watch->pointer() : std::nullopt;
    // The right and bottom edges lie outside.
    if (pointer && rect().contains(mapFromGlobal(*pointer).toPoint()))
        return;
    if (watch)
        watch->unfollow(this);
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
        pointerEntered(globalPos);
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
    Q_EMIT mouseDown(event->button(), event->modifiers(), event->position().toPoint());
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
    // Qt sends the second press of a fast double click as a press followed by this event, so
    // only a lone double click still needs the press. Without a double-click receiver the button
    // takes no double clicks: that press is an ordinary one and its release a second click.
    if (!FMouseDownInControl)
        mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isEnabled() || !hasDoubleClickReceiver())
        return;
    m_pressedHere = false; // the double click goes to its receiver; the release clicks nothing
    Q_EMIT doubleClicked();
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
    if (event->text().isEmpty())
        return;
    // A typed character goes to keyPressed() first; then a space clicks, each repeat again.
    QChar key = event->text().front();
    Q_EMIT keyPressed(&key);
    if (key == u' ') {
        Click();
        event->accept();
    }
}

namespace {

/** The character a caption marks with "&" ("&&" is a plain "&"); the last mark counts. */
QChar acceleratorOf(const QString& caption)
{
    QChar marked;
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        ++i;
        if (caption[i] != u'&')
            marked = caption[i];
    }
    return marked.toUpper();
}

} // namespace

void TCustomGlassButton::watchWindowKeys()
{
    QWidget* top = window();
    if (top == this || top == m_keyWindow)
        return;
    if (m_keyWindow)
        m_keyWindow->removeEventFilter(this);
    m_keyWindow = top;
    top->installEventFilter(this);
}

bool TCustomGlassButton::eventFilter(QObject* watched, QEvent* event)
{
    // A key press reaches the window when it is the focus itself or no control took the key: the
    // window offers the typed character, and a button whose caption marks it clicks.
    if (watched == m_keyWindow && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        const QChar mark = acceleratorOf(m_caption);
        if (plain && !mark.isNull() && key->text().size() == 1 && key->text().front().toUpper() == mark && isVisible()
            && isEnabled()) {
            Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TCustomGlassButton::event(QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::ParentChange)
        watchWindowKeys();
    // The button moving under a resting pointer can take it out of the button, too.
    if (FMouseInControl && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        FUnHotTimer->start();
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
