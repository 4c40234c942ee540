// Linux layer: global keys as passive grabs on the root window, made on Qt's own X connection so
// that their events come through Qt's native event filter. Other Qt platforms (Wayland,
// offscreen) have no global keys.

#include "platform/globalhotkeys.h"
#include "platform/platformlog.h"

#include <algorithm>
#include <map>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <vector>

#ifdef PELLIMO_HAVE_X11
#include "platform/x11support.h"

#include <cstdlib>
#include <X11/keysym.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#endif

namespace {

bool waylandSession()
{
    return qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
}

bool onX11()
{
    return qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb");
}

#ifdef PELLIMO_HAVE_X11

// The modifiers a key is grabbed with; the lock keys are grabbed in every state on top.
constexpr std::uint16_t RelevantMask = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;
constexpr std::uint8_t BadAccessCode = 10;

struct KeyPair
{
    int qt;
    KeySym x;
};

// clang-format off
constexpr KeyPair SpecialKeys[] {
    {Qt::Key_Escape, XK_Escape},   {Qt::Key_Tab, XK_Tab},         {Qt::Key_Backspace, XK_BackSpace},
    {Qt::Key_Return, XK_Return},   {Qt::Key_Enter, XK_KP_Enter},  {Qt::Key_Insert, XK_Insert},
    {Qt::Key_Delete, XK_Delete},   {Qt::Key_Pause, XK_Pause},     {Qt::Key_Print, XK_Print},
    {Qt::Key_Home, XK_Home},       {Qt::Key_End, XK_End},         {Qt::Key_Left, XK_Left},
    {Qt::Key_Up, XK_Up},           {Qt::Key_Right, XK_Right},     {Qt::Key_Down, XK_Down},
    {Qt::Key_PageUp, XK_Prior},    {Qt::Key_PageDown, XK_Next},   {Qt::Key_ScrollLock, XK_Scroll_Lock},
    {Qt::Key_Menu, XK_Menu},
};
constexpr KeyPair KeypadKeys[] {
    {Qt::Key_Plus, XK_KP_Add},     {Qt::Key_Minus, XK_KP_Subtract}, {Qt::Key_Asterisk, XK_KP_Multiply},
    {Qt::Key_Slash, XK_KP_Divide}, {Qt::Key_Period, XK_KP_Decimal}, {Qt::Key_Comma, XK_KP_Separator},
    {Qt::Key_Enter, XK_KP_Enter},  {Qt::Key_Equal, XK_KP_Equal},
};
// clang-format on

/** The keysym of a Qt key, or NoSymbol. */
KeySym keysymOf(Qt::Key key, bool keypad)
{
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9)
        return XK_KP_0 + KeySym(key - Qt::Key_0);
    if (keypad) {
        for (const KeyPair& pair : KeypadKeys) {
            if (pair.qt == key)
                return pair.x;
        }
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return XK_F1 + KeySym(key - Qt::Key_F1);
    for (const KeyPair& pair : SpecialKeys) {
        if (pair.qt == key)
            return pair.x;
    }
    // Latin-1 keysyms are the characters themselves; Qt names letters by their capitals.
    if (key >= Qt::Key_Space && key <= Qt::Key_ydiaeresis)
        return KeySym(QChar(char16_t(key)).toLower().unicode());
    return NoSymbol;
}

/** The modifier bit that Num Lock sets on this server (usually Mod2), or 0. */
unsigned numLockMask(Display* display)
{
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    unsigned mask = 0;
    for (int modifier = 0; map && numLock && modifier < 8; ++modifier) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[modifier * map->max_keypermod + k] == numLock)
                mask = 1u << modifier;
        }
    }
    if (map)
        XFreeModifiermap(map);
    return mask;
}

/**
 * Whether the server acts on the key itself at these modifiers (Ctrl+Alt+F1 to F12 switch
 * consoles, Ctrl+Alt+Backspace may end the server): such a press never reaches any client, so a
 * grab of it would succeed and never fire.
 */
bool serverKeepsKey(Display* display, KeyCode code, unsigned modifiers)
{
    XkbDescPtr xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbKeyActionsMask, XkbUseCoreKbd);
    if (!xkb)
        return false;
    bool kept = false;
    if (xkb->map && xkb->server && XkbKeyHasActions(xkb, code)) {
        const XkbKeyTypePtr type = XkbKeyKeyType(xkb, code, 0);
        int level = 0;
        for (int i = 0; type && i < type->map_count; ++i) {
            if (type->map[i].active && type->map[i].mods.mask == (modifiers & type->mods.mask))
                level = type->map[i].level;
        }
        const XkbAction* action = XkbKeyActionEntry(xkb, code, level, 0);
        kept = action
            && (action->type == XkbSA_SwitchScreen || action->type == XkbSA_Terminate
                || action->type == XkbSA_XFree86Private);
    }
    XkbFreeKeyboard(xkb, 0, True);
    return kept;
}

struct Grabbed
{
    xcb_keycode_t code = 0;
    std::uint16_t modifiers = 0;
    std::vector<std::uint16_t> variants; // the modifier sets grabbed: modifiers with each lock state
    bool down = false;
    bool released = false;
    xcb_timestamp_t releaseTime = 0;
};

#endif // PELLIMO_HAVE_X11

class X11GlobalHotkeys final : public GlobalHotkeys, public QAbstractNativeEventFilter
{
public:
    X11GlobalHotkeys();
    ~X11GlobalHotkeys() override;

    bool available() const override;
    QString limitation() const override;
    Grab grab(int id, QKeyCombination key) override;
    void release(int id) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
#ifdef PELLIMO_HAVE_X11
    xcb_connection_t* connection() const;
    void ungrab(const Grabbed& grabbed);
    std::map<int, Grabbed> m_grabs;
    xcb_window_t m_root = XCB_NONE;
#endif
};

X11GlobalHotkeys::X11GlobalHotkeys()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installNativeEventFilter(this);
}

X11GlobalHotkeys::~X11GlobalHotkeys()
{
#ifdef PELLIMO_HAVE_X11
    while (!m_grabs.empty())
        release(m_grabs.begin()->first);
#endif
    // QAbstractNativeEventFilter's destructor takes the filter off the application.
}

bool X11GlobalHotkeys::available() const
{
#ifdef PELLIMO_HAVE_X11
    return onX11() && connection() != nullptr;
#else
    return false;
#endif
}

QString X11GlobalHotkeys::limitation() const
{
    if (!onX11()) {
        return waylandSession() ? QStringLiteral("This Wayland session gives programs no global hotkeys. Started "
                                                 "through XWayland (QT_QPA_PLATFORM=xcb), Pellimo has them.")
                                : QStringLiteral("Global hotkeys need an X11 or a Windows desktop.");
    }
    if (waylandSession()) {
        return QStringLiteral("Under Wayland these keys work while an X11 program (such as a game run "
                              "through XWayland or wine) has the focus.");
    }
    return {};
}

#ifdef PELLIMO_HAVE_X11
xcb_connection_t* X11GlobalHotkeys::connection() const
{
    if (!onX11() || x11::connectionBroken())
        return nullptr;
    const auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return native ? native->connection() : nullptr;
}

void X11GlobalHotkeys::ungrab(const Grabbed& grabbed)
{
    // Releases only our own grabs; a refused variant belongs to the other client and stays.
    if (xcb_connection_t* c = connection()) {
        for (const std::uint16_t modifiers : grabbed.variants)
            xcb_ungrab_key(c, grabbed.code, m_root, modifiers);
        xcb_flush(c);
    }
}
#endif

GlobalHotkeys::Grab X11GlobalHotkeys::grab(int id, QKeyCombination key)
{
#ifdef PELLIMO_HAVE_X11
    release(id);
    xcb_connection_t* c = connection();
    // Key codes and the modifier map are the server's, the same on every connection.
    Display* display = x11::qtDisplay() ? x11::qtDisplay() : x11::ownDisplay();
    if (!c || !display)
        return Grab::Unavailable;
    m_root = static_cast<xcb_window_t>(DefaultRootWindow(display));

    const Qt::KeyboardModifiers modifiers = key.keyboardModifiers();
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    const KeySym sym = keysymOf(key.key(), keypad);
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
    if (code == 0)
        return Grab::NoSuchKey;

    Grabbed grabbed;
    grabbed.code = code;
    if (modifiers.testFlag(Qt::ShiftModifier))
        grabbed.modifiers |= ShiftMask;
    if (modifiers.testFlag(Qt::ControlModifier))
        grabbed.modifiers |= ControlMask;
    if (modifiers.testFlag(Qt::AltModifier))
        grabbed.modifiers |= Mod1Mask;
    if (modifiers.testFlag(Qt::MetaModifier))
        grabbed.modifiers |= Mod4Mask;
    // A character that sits on its key's shifted level ("!" on "1") needs Shift to be typed.
    if (!keypad && XkbKeycodeToKeysym(display, code, 0, 0) != sym && XkbKeycodeToKeysym(display, code, 0, 1) == sym)
        grabbed.modifiers |= ShiftMask;

    if (serverKeepsKey(display, code, grabbed.modifiers))
        return Grab::Reserved;

    const unsigned numLock = numLockMask(display);
    for (const unsigned locks : { 0u, unsigned(LockMask), numLock, unsigned(LockMask) | numLock }) {
        const auto variant = std::uint16_t(grabbed.modifiers | locks);
        if (std::find(grabbed.variants.begin(), grabbed.variants.end(), variant) == grabbed.variants.end())
            grabbed.variants.push_back(variant);
    }
    // Not owner_events: the key comes to the root grab even while one of our windows has the focus.
    std::vector<xcb_void_cookie_t> cookies;
    for (const std::uint16_t variant : grabbed.variants) {
        cookies.push_back(xcb_grab_key_checked(c, 0, m_root, variant, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool refused = false;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
            if (error->error_code != BadAccessCode)
                qCWarning(lcPlatform, "X refused a key grab with error %d", int(error->error_code));
            refused = true;
            std::free(error);
        }
    }
    if (refused) {
        ungrab(grabbed);
        return Grab::InUse;
    }
    m_grabs[id] = grabbed;
    return Grab::Done;
#else
    Q_UNUSED(id);
    Q_UNUSED(key);
    return Grab::Unavailable;
#endif
}

void X11GlobalHotkeys::release(int id)
{
#ifdef PELLIMO_HAVE_X11
    if (const auto it = m_grabs.find(id); it != m_grabs.end()) {
        ungrab(it->second);
        m_grabs.erase(it);
    }
#else
    Q_UNUSED(id);
#endif
}

bool X11GlobalHotkeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result)
{
    Q_UNUSED(result);
#ifdef PELLIMO_HAVE_X11
    if (m_grabs.empty() || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t kind = event->response_type & 0x7f;
    if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->event != m_root)
        return false;
    bool ours = false;
    for (auto& [id, grabbed] : m_grabs) {
        if (grabbed.code != key->detail)
            continue;
        if (kind == XCB_KEY_RELEASE) {
            // Whatever the modifiers are by then: Ctrl may be let go before the key.
            ours = ours || grabbed.down;
            grabbed.down = false;
            grabbed.released = true;
            grabbed.releaseTime = key->time;
        } else if ((key->state & RelevantMask) == grabbed.modifiers) {
            // A held key repeats: either presses without releases (detectable auto-repeat) or a
            // release and a press of the same moment.
            const bool repeat = grabbed.down || (grabbed.released && grabbed.releaseTime == key->time);
            grabbed.down = true;
            ours = true;
            if (!repeat)
                Q_EMIT pressed(id, qint64(key->time));
        }
    }
    return ours;
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
    return false;
#endif
}

} // namespace

std::unique_ptr<GlobalHotkeys> createGlobalHotkeys()
{
    return std::make_unique<X11GlobalHotkeys>();
}
