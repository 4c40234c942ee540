// Small Win32 console helper for the wine tests: reads what X cannot show (window styles,
// the foreground window, the foreground lock time-out) and plays "another program".
//   wineprobe locktimeout            prints the foreground lock time-out in ms
//   wineprobe setlocktimeout <ms>    sets it for the session
//   wineprobe topmost <title>        prints 1 when the window has WS_EX_TOPMOST, else 0
//   wineprobe client <title>         prints the client area as <width>x<height>
//   wineprobe iconic <title>         prints 1 when the window is minimised, else 0
//   wineprobe minimize <title>       minimises the window
//   wineprobe foreground             prints the title of the foreground window
//   wineprobe findclass <class>      prints 1 when a top-level window of that class exists
//   wineprobe window <title>         shows a window of its own and runs until it is closed
//   wineprobe rect <title>           prints the window's outer rectangle and its client area in
//                                    screen pixels, "left,top,right,bottom client x,y,width,height",
//                                    the window's DPI and the resize border that Windows 10 keeps
//                                    invisible (Qt leaves it out of a window's frame)
//   wineprobe version <file>         prints the file's version resource as Windows reads it, one
//                                    "name=value" a line
//   wineprobe icons <file>           prints how many icons Explorer finds in the file
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

HWND windowByTitle(const wchar_t* title)
{
    HWND window = FindWindowW(nullptr, title);
    if (!window) {
        std::fwprintf(stderr, L"wineprobe: no window titled %ls\n", title);
        std::exit(2);
    }
    return window;
}

std::wstring titleOf(HWND window)
{
    wchar_t text[512] = {};
    if (window) {
        GetWindowTextW(window, text, 512);
    }
    return text;
}

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int showWindow(const wchar_t* title)
{
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = probeProc;
    wc.hInstance = module;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"WineProbe";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, L"WineProbe", title, WS_OVERLAPPEDWINDOW, 700, 500, 300, 200, nullptr, nullptr,
                                  module, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

int printRect(HWND window)
{
    // In screen pixels, as the window's own per-monitor-aware process sees them, not scaled for a
    // caller that knows nothing of DPI.
    SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    RECT outer {};
    RECT client {};
    POINT origin {};
    if (!GetWindowRect(window, &outer) || !GetClientRect(window, &client) || !ClientToScreen(window, &origin)) {
        return 1;
    }
    const UINT dpi = GetDpiForWindow(window);
    std::printf("%ld,%ld,%ld,%ld client %ld,%ld,%ld,%ld dpi %u border %d\n", outer.left, outer.top, outer.right,
                outer.bottom, origin.x, origin.y, client.right, client.bottom, dpi,
                GetSystemMetricsForDpi(SM_CXSIZEFRAME, dpi) + GetSystemMetricsForDpi(SM_CXPADDEDBORDER, dpi));
    return 0;
}

int printVersion(const wchar_t* file)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    std::string data(size, '\0');
    if (size == 0 || !GetFileVersionInfoW(file, 0, size, data.data())) {
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        std::printf("FILEVERSION=%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                    HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    }
    for (const wchar_t* name : { L"ProductName", L"FileDescription", L"FileVersion", L"ProductVersion",
                                 L"OriginalFilename", L"LegalCopyright" }) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        wchar_t* value = nullptr;
        if (VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) && value) {
            std::printf("%ls=%ls\n", name, value);
        }
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const wchar_t* arg = argc > 2 ? argv[2] : L"";
    if (command == L"locktimeout") {
        DWORD timeout = 0;
        if (!SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0)) {
            return 1;
        }
        std::printf("%lu\n", static_cast<unsigned long>(timeout));
    } else if (command == L"setlocktimeout") {
        const auto timeout = static_cast<UINT_PTR>(std::wcstoul(arg, nullptr, 10));
        if (!SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<PVOID>(timeout),
                                   SPIF_SENDCHANGE)) {
            return 1;
        }
    } else if (command == L"topmost") {
        std::printf("%d\n", (GetWindowLongPtrW(windowByTitle(arg), GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
    } else if (command == L"client") {
        RECT rect {};
        GetClientRect(windowByTitle(arg), &rect);
        std::printf("%ldx%ld\n", rect.right - rect.left, rect.bottom - rect.top);
    } else if (command == L"iconic") {
        std::printf("%d\n", IsIconic(windowByTitle(arg)) ? 1 : 0);
    } else if (command == L"minimize") {
        ShowWindow(windowByTitle(arg), SW_MINIMIZE);
    } else if (command == L"foreground") {
        std::printf("%ls\n", titleOf(GetForegroundWindow()).c_str());
    } else if (command == L"findclass") {
        std::printf("%d\n", FindWindowW(arg, nullptr) ? 1 : 0);
    } else if (command == L"window") {
        return showWindow(arg);
    } else if (command == L"rect") {
        return printRect(windowByTitle(arg));
    } else if (command == L"version") {
        return printVersion(arg);
    } else if (command == L"icons") {
        std::printf("%u\n", ExtractIconExW(arg, -1, nullptr, nullptr, 0));
    } else {
        std::fprintf(stderr, "wineprobe: unknown command\n");
        return 2;
    }
    std::fflush(stdout);
    return 0;
}
