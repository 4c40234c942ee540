// The handful of Qt declarations that platform_win.cpp uses, so that the Windows layer can be
// syntax-checked with a cross compiler that has no Qt. Declarations only; nothing here links.
#pragma once

#include <cstdint>

using WId = std::uintptr_t;

template<typename Enum> class QFlags
{
public:
    constexpr QFlags() = default;
    constexpr QFlags(Enum value)
        : m_value(static_cast<int>(value))
    { }
    constexpr bool testFlag(Enum flag) const { return (m_value & static_cast<int>(flag)) != 0; }
    constexpr QFlags& operator|=(QFlags other)
    {
        m_value |= other.m_value;
        return *this;
    }
    constexpr QFlags operator|(Enum flag) const { return QFlags(m_value | static_cast<int>(flag)); }
    constexpr QFlags operator&(Enum flag) const { return QFlags(m_value & static_cast<int>(flag)); }
    constexpr operator int() const { return m_value; }
    constexpr QFlags& setFlag(Enum flag, bool on = true)
    {
        m_value = on ? (m_value | static_cast<int>(flag)) : (m_value & ~static_cast<int>(flag));
        return *this;
    }

private:
    constexpr explicit QFlags(int value, int = 0)
        : m_value(value)
    { }
    int m_value = 0;
};

namespace Qt {
enum WindowType {
    Window = 0x1,
    Dialog = 0x2 | Window,
    Sheet = 0x4 | Window,
    Drawer = Sheet | Dialog,
    Popup = 0x8 | Window,
    Tool = Popup | Dialog,
    ToolTip = Popup | Sheet,
    SplashScreen = ToolTip | Dialog,
    WindowType_Mask = 0xff,
    MSWindowsFixedSizeDialogHint = 0x100,
    FramelessWindowHint = 0x800,
    WindowTitleHint = 0x1000,
    WindowSystemMenuHint = 0x2000,
    WindowCloseButtonHint = 0x8000000,
    CustomizeWindowHint = 0x2000000,
    WindowStaysOnTopHint = 0x40000
};
constexpr QFlags<WindowType> operator|(WindowType a, WindowType b)
{
    return QFlags<WindowType>(a) | b;
}
using WindowFlags = QFlags<WindowType>;
enum WidgetAttribute { WA_WState_Created = 60 };
enum FocusReason { MouseFocusReason, TabFocusReason, BacktabFocusReason, ActiveWindowFocusReason };
} // namespace Qt
