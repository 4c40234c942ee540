// Windows layer: the named mutex, the lookup of the running instance by its window class, the
// topmost band and the forced foreground activation, all through kernel32/user32.

#include "platform/platform.h"
#include "platform/platformlog.h"

#include <cmath>
#include <map>
#include <QApplication>
#include <QCoreApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

constexpr const wchar_t* mutexName = L"Pellimo";
constexpr const wchar_t* mainWindowClass = L"TForm1";
// A hung first instance must not hang the second one: give up on the restore request after this.
constexpr UINT RestoreTimeoutMs = 2000;
// Posted by a proxy to itself: activate the Qt window once the proxy's activation has settled.
constexpr UINT ActivateTargetMessage = WM_APP + 1;
constexpr QRect FallbackWorkArea { 0, 0, 1024, 768 };

/** Runs a call when the scope ends, however it ends. */
template<typename F> class ScopeExit final
{
public:
    explicit ScopeExit(F f)
        : m_f(std::move(f))
    { }
    ~ScopeExit() { m_f(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F m_f;
};

HWND hwndOf(QWidget* widget)
{
    return reinterpret_cast<HWND>(widget->winId());
}

/**
 * Qt registers its windows under its own class names, so a second instance looking for
 * "TForm1" would find nothing. Each named window gets a hidden top-level proxy of the
 * registered class; the proxy passes restore and activation on to the Qt window.
 */
std::map<HWND, QWidget*>& proxyTargets()
{
    static std::map<HWND, QWidget*> targets;
    return targets;
}

QWidget* proxyTarget(HWND proxy)
{
    const auto it = proxyTargets().find(proxy);
    return it == proxyTargets().end() ? nullptr : it->second;
}

void bringForward(QWidget* target)
{
    if (target->isMinimized()) {
        target->showNormal();
    }
    if (target->isVisible()) {
        SetForegroundWindow(hwndOf(target));
        target->activateWindow();
    }
}

LRESULT CALLBACK proxyProc(HWND proxy, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_RESTORE) {
            if (QWidget* target = proxyTarget(proxy)) {
                bringForward(target);
            }
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // The second instance made the proxy the foreground window; this process may now hand
        // the foreground on, but not from inside the activation itself.
        if (LOWORD(wParam) != WA_INACTIVE) {
            PostMessageW(proxy, ActivateTargetMessage, 0, 0);
            return 0;
        }
        break;
    case ActivateTargetMessage:
        if (QWidget* target = proxyTarget(proxy)) {
            bringForward(target);
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(proxy, message, wParam, lParam);
}

HWND createProxy(const std::wstring& className)
{
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proxyProc;
    wc.hInstance = module;
    wc.lpszClassName = className.c_str();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return nullptr;
    }
    // A real top-level window (not message-only), since FindWindowW skips message-only windows;
    // the tool-window style keeps it off the task bar should it ever be shown.
    return CreateWindowExW(WS_EX_TOOLWINDOW, className.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, module,
                           nullptr);
}

struct WindowStyles
{
    DWORD style = 0;
    DWORD exStyle = 0;
};

/**
 * The frame-shaping styles that Qt's Windows plugin gives a top-level window of these flags: a
 * caption for a title, a fixed or a sizing border, the small caption of a tool window, the modal
 * frame of a dialog with a close button but no system menu.
 */
WindowStyles plannedStyles(Qt::WindowFlags flags)
{
    const Qt::WindowType type = static_cast<Qt::WindowType>(int(flags & Qt::WindowType_Mask));
    if (flags.testFlag(Qt::FramelessWindowHint) || type == Qt::Popup || type == Qt::ToolTip
        || type == Qt::SplashScreen) {
        return { WS_POPUP, 0 };
    }
    // Bare Qt::Window, Qt::Dialog and Qt::Tool get a title bar and its buttons.
    if (!flags.testFlag(Qt::CustomizeWindowHint) && !flags.testFlag(Qt::WindowTitleHint)
        && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool)) {
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    const bool dialog = type == Qt::Dialog || type == Qt::Sheet || flags.testFlag(Qt::MSWindowsFixedSizeDialogHint);
    const bool tool = type == Qt::Tool || type == Qt::Drawer;
    WindowStyles s;
    s.style = WS_POPUP | (flags.testFlag(Qt::MSWindowsFixedSizeDialogHint) ? WS_DLGFRAME : WS_THICKFRAME);
    if (flags.testFlag(Qt::WindowTitleHint)) {
        s.style |= WS_CAPTION;
    }
    if (flags.testFlag(Qt::WindowSystemMenuHint)) {
        s.style |= WS_SYSMENU;
    } else if (dialog && flags.testFlag(Qt::WindowCloseButtonHint)) {
        s.style |= WS_SYSMENU | WS_BORDER;
        s.exStyle |= WS_EX_DLGMODALFRAME;
    }
    if (tool) {
        s.exStyle |= WS_EX_TOOLWINDOW;
    }
    return s;
}

/** The DPI of the screen a window not created yet will open on, as Qt scales it. */
UINT plannedDpi(QWidget* window)
{
    const QScreen* screen = window->screen();
    return screen ? static_cast<UINT>(std::lround(screen->devicePixelRatio() * USER_DEFAULT_SCREEN_DPI))
                  : USER_DEFAULT_SCREEN_DPI;
}

/** While a modal dialog runs the main window takes no input; forward to the dialog instead. */
QWidget* foregroundTarget(QWidget* window)
{
    QWidget* modal = QApplication::activeModalWidget();
    return (modal && modal->window() != window) ? modal->window() : window;
}

/**
 * The forcing steps: join the foreground thread's input, lift the foreground lock time-out,
 * take the foreground, and always put the time-out back and separate the threads again.
 */
void forceForegroundWindow(HWND window, DWORD ownThread, DWORD foregroundThread, DWORD processId)
{
    AttachThreadInput(ownThread, foregroundThread, TRUE);
    const ScopeExit detach([&] { AttachThreadInput(ownThread, foregroundThread, FALSE); });

    DWORD savedTimeout = 0;
    SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &savedTimeout, 0);
    // The new value travels as the pointer argument itself; flags 0: no profile write, no broadcast.
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    const ScopeExit restoreTimeout([&] {
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                              reinterpret_cast<PVOID>(static_cast<UINT_PTR>(savedTimeout)), 0);
    });

    LockSetForegroundWindow(LSFW_UNLOCK);
    AllowSetForegroundWindow(processId);
    SetForegroundWindow(window);
    ShowWindow(window, SW_SHOW);
}

class WinPlatform final : public Platform
{
public:
    bool anotherInstanceRunning() override;
    void activateRunningInstance() override;
    void setWindowClass(QWidget* window, const QString& className) override;
    QRect primaryWorkArea() override;
    std::vector<QRect> workAreas() override;
    QMargins frameMargins(QWidget* window) override;
    void setStayOnTop(QWidget* window, bool onTop) override;
    void forceForeground(QWidget* window) override;
    bool keepsClosedDialogWindows() override { return false; }
    QString executablePath() override;
    static QString findExecutablePath();
};

bool WinPlatform::anotherInstanceRunning()
{
    // The handle is never closed: the system removes the mutex when this process ends.
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName);
    if (mutex == nullptr) {
        qCWarning(lcPlatform, "single-instance lock: cannot create the mutex (error %lu); starting without it",
                  GetLastError());
        return false;
    }
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

void WinPlatform::activateRunningInstance()
{
    const HWND window = FindWindowW(mainWindowClass, nullptr);
    if (!window) {
        // The first instance has not created its window yet; nothing to restore.
        qCWarning(lcPlatform, "the running instance has no TForm1 window yet to bring to the front");
        return;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_ABORTIFHUNG, RestoreTimeoutMs, &result);
    if (!SetForegroundWindow(window)) {
        qCWarning(lcPlatform, "Windows refused to bring the running instance to the front");
    }
}

void WinPlatform::setWindowClass(QWidget* window, const QString& className)
{
    if (!window) {
        return;
    }
    const HWND proxy = createProxy(className.toStdWString());
    if (!proxy) {
        return;
    }
    proxyTargets()[proxy] = window;
    QObject::connect(window, &QObject::destroyed, [proxy] {
        proxyTargets().erase(proxy);
        DestroyWindow(proxy);
    });
}

QRect WinPlatform::primaryWorkArea()
{
    RECT area {};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        return FallbackWorkArea;
    }
    return QRect(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

BOOL CALLBACK addWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas)
{
    MONITORINFO info {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT& work = info.rcWork;
        reinterpret_cast<std::vector<QRect>*>(areas)->push_back(
            QRect(work.left, work.top, work.right - work.left, work.bottom - work.top));
    }
    return TRUE;
}

std::vector<QRect> WinPlatform::workAreas()
{
    std::vector<QRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, addWorkArea, reinterpret_cast<LPARAM>(&areas));
    if (areas.empty()) {
        areas.push_back(primaryWorkArea());
    }
    return areas;
}

QMargins WinPlatform::frameMargins(QWidget* window)
{
    if (!window) {
        return {};
    }
    // The frame follows from the window's styles and its screen's DPI. A window not created yet is
    // not created for this: made before its flags and owner are final, its native window falls out
    // of step with Qt (it stopped repainting after leaving the topmost band). Its styles are the
    // ones Qt will give it.
    DWORD style = 0;
    DWORD exStyle = 0;
    UINT dpi = 0;
    if (window->testAttribute(Qt::WA_WState_Created)) {
        const HWND handle = hwndOf(window);
        style = static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_STYLE));
        exStyle = static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_EXSTYLE));
        dpi = GetDpiForWindow(handle);
    } else {
        const WindowStyles planned = plannedStyles(window->windowFlags());
        style = planned.style;
        exStyle = planned.exStyle;
        dpi = plannedDpi(window);
    }
    if (dpi == 0) {
        dpi = USER_DEFAULT_SCREEN_DPI;
    }
    RECT frame {};
    if (!AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi)) {
        return {};
    }
    // Qt places and reports a framed window by its visible frame: the resize border that Windows
    // 10 and 11 keep invisible on the left, right and bottom is not part of it, so that a window
    // put at a position shows its frame there.
    int hidden = 0;
    if (style & (WS_DLGFRAME | WS_THICKFRAME)) {
        hidden = GetSystemMetricsForDpi(SM_CXSIZEFRAME, dpi) + GetSystemMetricsForDpi(SM_CXPADDEDBORDER, dpi);
    }
    return QMargins(-frame.left - hidden, -frame.top, frame.right - hidden, frame.bottom - hidden);
}

void WinPlatform::setStayOnTop(QWidget* window, bool onTop)
{
    if (!window) {
        return;
    }
    const bool created = window->windowHandle() != nullptr;
    const bool current = created ? (GetWindowLongPtrW(hwndOf(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0
                                 : window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (current == onTop) {
        return;
    }
    if (created) {
        SetWindowPos(hwndOf(window), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    // Recorded on the widget without telling the window system: setWindowFlags() would hide the
    // window, and a window created later takes the band from these flags.
    window->overrideWindowFlags(window->windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop));
}

void WinPlatform::forceForeground(QWidget* window)
{
    if (!window) {
        return;
    }
    QWidget* target = foregroundTarget(window);
    const HWND handle = hwndOf(target);
    const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    DWORD processId = 0;
    const DWORD ownThread = GetWindowThreadProcessId(handle, &processId);

    if (ownThread == foregroundThread) {
        // The foreground is ours already: only move the keyboard focus back to the window.
        if (QApplication::activeWindow() != target) {
            QWidget* focus = target->focusWidget() ? target->focusWidget() : target;
            focus->setFocus(Qt::ActiveWindowFocusReason);
        }
        return;
    }
    forceForegroundWindow(handle, ownThread, foregroundThread, processId);
}

QString WinPlatform::executablePath()
{
    // The path of the start for the whole run: the file may be renamed while it runs.
    static const QString path = findExecutablePath();
    return path;
}

QString WinPlatform::findExecutablePath()
{
    if (QCoreApplication::instance()) {
        return QCoreApplication::applicationFilePath();
    }
    // Before the application object exists; long paths are rare, the buffer grows for them.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return QString::fromStdWString(path);
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

Platform& nativePlatform()
{
    static WinPlatform platform;
    return platform;
}

void resolveAbsentFacesToSubstitutes(const QStringList&)
{
    // The Windows font database builds its fallback lists from a short fixed table, not from a
    // search of every installed face.
}
