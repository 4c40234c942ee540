#include "widgets/glassbutton.h"

#include "widgets/pointerwatch.h"

#include <optional>
#include <QAction>
#include <QEnterEvent>
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
    m_actionLink = action ? new TGlassButtonActionLink(this, this, action) : nullptr;
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
