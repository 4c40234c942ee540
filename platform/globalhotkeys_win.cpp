// Windows layer: global keys through RegisterHotKey on the user-interface thread's queue; their
// WM_HOTKEY, like the chosen system-menu entry, comes through Qt's native event filter.

#include "platform/globalhotkeys.h"
#include "platform/platformlog.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <set>
#include <utility>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

// Hot-key ids of an application lie in 0x0000..0xBFFF; ours are this plus the caller's id.
constexpr int IdBase = 0x5000;
// System-menu command ids are multiples of 16 below 0xF000 (the system's own commands).
constexpr UINT MenuCommand = 0x5010;

struct KeyPair
{
    int qt;
    UINT vk;
};

// clang-format off
constexpr KeyPair SpecialKeys[] {
    {Qt::Key_Escape, VK_ESCAPE},   {Qt::Key_Tab, VK_TAB},         {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},   {Qt::Key_Pause, VK_PAUSE},     {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Home, VK_HOME},       {Qt::Key_End, VK_END},         {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},     {Qt::Key_Down, VK_DOWN},
    {Qt::Key_PageUp, VK_PRIOR},    {Qt::Key_PageDown, VK_NEXT},   {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Menu, VK_APPS},       {Qt::Key_Space, VK_SPACE},
};
constexpr KeyPair KeypadKeys[] {
    {Qt::Key_Plus, VK_ADD},        {Qt::Key_Minus, VK_SUBTRACT},  {Qt::Key_Asterisk, VK_MULTIPLY},
    {Qt::Key_Slash, VK_DIVIDE},    {Qt::Key_Period, VK_DECIMAL},  {Qt::Key_Comma, VK_SEPARATOR},
};
// clang-format on

/** The virtual key of a Qt key with the modifiers it needs on top (Shift for "!"); vk 0 when none. */
std::pair<UINT, UINT> virtualKeyOf(Qt::Key key, bool keypad)
{
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9)
        return { UINT(VK_NUMPAD0 + (key - Qt::Key_0)), 0 };
    if (keypad) {
        for (const KeyPair& pair : KeypadKeys) {
            if (pair.qt == key)
                return { pair.vk, 0 };
        }
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return { UINT(key), 0 }; // the virtual keys of letters and digits are their characters
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return { UINT(VK_F1 + (key - Qt::Key_F1)), 0 };
    for (const KeyPair& pair : SpecialKeys) {
        if (pair.qt == key)
            return { pair.vk, 0 };
    }
    if (key > Qt::Key_Space && key <= Qt::Key_ydiaeresis) {
        // Punctuation: where the keyboard layout puts it, and whether Shift is needed.
        const SHORT scan = VkKeyScanW(WCHAR(QChar(char16_t(key)).toLower().unicode()));
        if (scan != -1 && (HIBYTE(scan) & ~1) == 0)
            return { UINT(LOBYTE(scan)), (HIBYTE(scan) & 1) ? UINT(MOD_SHIFT) : 0u };
    }
    return { 0, 0 };
}

class WinGlobalHotkeys final : public GlobalHotkeys, public QAbstractNativeEventFilter
{
public:
    WinGlobalHotkeys();
    ~WinGlobalHotkeys() override;

    bool available() const override { return true; }
    QString limitation() const override { return {}; }
    Grab grab(int id, QKeyCombination key) override;
    void release(int id) override;
    void addSystemMenuEntry(QWidget* window, const QString& text, std::function<void()> chosen) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::set<int> m_registered;
    HWND m_menuWindow = nullptr;
    std::function<void()> m_menuChosen;
};

WinGlobalHotkeys::WinGlobalHotkeys()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installNativeEventFilter(this);
}

WinGlobalHotkeys::~WinGlobalHotkeys()
{
    while (!m_registered.empty())
        release(*m_registered.begin());
}

GlobalHotkeys::Grab WinGlobalHotkeys::grab(int id, QKeyCombination key)
{
    release(id);
    const Qt::KeyboardModifiers modifiers = key.keyboardModifiers();
    const auto [vk, needed] = virtualKeyOf(key.key(), modifiers.testFlag(Qt::KeypadModifier));
    if (vk == 0)
        return Grab::NoSuchKey;
    // MOD_NOREPEAT: a held key sends one WM_HOTKEY, not one per auto-repeat.
    UINT flags = needed | MOD_NOREPEAT;
    if (modifiers.testFlag(Qt::ShiftModifier))
        flags |= MOD_SHIFT;
    if (modifiers.testFlag(Qt::ControlModifier))
        flags |= MOD_CONTROL;
    if (modifiers.testFlag(Qt::AltModifier))
        flags |= MOD_ALT;
    if (modifiers.testFlag(Qt::MetaModifier))
        flags |= MOD_WIN;
    // No window: WM_HOTKEY goes to this thread's queue, where Qt's event loop reads it.
    if (!RegisterHotKey(nullptr, IdBase + id, flags, vk)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HOTKEY_ALREADY_REGISTERED)
            return Grab::InUse;
        qCWarning(lcPlatform, "RegisterHotKey failed with error %lu", error);
        return Grab::NoSuchKey;
    }
    m_registered.insert(id);
    return Grab::Done;
}

void WinGlobalHotkeys::release(int id)
{
    if (m_registered.erase(id) != 0)
        UnregisterHotKey(nullptr, IdBase + id);
}

void WinGlobalHotkeys::addSystemMenuEntry(QWidget* window, const QString& text, std::function<void()> chosen)
{
    if (!window || m_menuWindow)
        return;
    const HWND handle = reinterpret_cast<HWND>(window->winId());
    const HMENU menu = GetSystemMenu(handle, FALSE);
    if (!menu)
        return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, MenuCommand, reinterpret_cast<const wchar_t*>(text.utf16()));
    m_menuWindow = handle;
    m_menuChosen = std::move(chosen);
}

bool WinGlobalHotkeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result)
{
    if (eventType != "windows_generic_MSG")
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_HOTKEY && msg->hwnd == nullptr) {
        const int id = int(msg->wParam) - IdBase;
        if (m_registered.count(id) == 0)
            return false;
        Q_EMIT pressed(id, qint64(msg->time));
        return true;
    }
    if (msg->message == WM_SYSCOMMAND && msg->hwnd == m_menuWindow && m_menuWindow
        && (msg->wParam & 0xFFF0) == MenuCommand) {
        // Out of the menu's message handling first: the entry opens a modal dialog.
        QTimer::singleShot(0, qApp, m_menuChosen);
        *result = 0;
        return true;
    }
    return false;
}

} // namespace

std::unique_ptr<GlobalHotkeys> createGlobalHotkeys()
{
    return std::make_unique<WinGlobalHotkeys>();
}
