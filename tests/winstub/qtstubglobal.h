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
    constexpr QFlags& setFlag(Enum flag, bool on = true)
    {
        m_value = on ? (m_value | static_cast<int>(flag)) : (m_value & ~static_cast<int>(flag));
        return *this;
    }

private:
    int m_value = 0;
};

namespace Qt {
enum WindowType { Window = 0x1, WindowStaysOnTopHint = 0x40000 };
using WindowFlags = QFlags<WindowType>;
enum WidgetAttribute { WA_WState_Created = 60 };
enum FocusReason { MouseFocusReason, TabFocusReason, BacktabFocusReason, ActiveWindowFocusReason };
} // namespace Qt
