#include "app/sessionplatform.h"

#include <cstdlib>
#include <string_view>

namespace sessionplatform {
namespace {

bool isSet(const Environment& environment, const char* name)
{
    const std::optional<std::string> value = environment(name);
    return value && !value->empty();
}

bool platformArgument(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (arg == "-platform" || arg == "--platform" || arg.starts_with("-platform=")
            || arg.starts_with("--platform="))
            return true;
    }
    return false;
}

} // namespace

Choice choose(const Environment& environment, int argc, const char* const* argv)
{
    if (isSet(environment, "QT_QPA_PLATFORM") || platformArgument(argc, argv))
        return {};
    const std::optional<std::string> session = environment("XDG_SESSION_TYPE");
    const bool wayland = isSet(environment, "WAYLAND_DISPLAY") || (session && *session == "wayland");
    if (!wayland)
        return {};
    if (isSet(environment, "DISPLAY"))
        return { "xcb",
                 "Pellimo: Wayland session: running through XWayland (xcb), so that the window can stay on top "
                 "and come to the front; set QT_QPA_PLATFORM to choose otherwise.\n" };
    return { std::nullopt,
             "Pellimo: Wayland session without XWayland: running as a Wayland client; \"Always on Top\" has "
             "no effect, and neither the pointer entering the window nor a second start can bring it to the "
             "front.\n" };
}

std::optional<std::string> processEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value)
        return std::nullopt;
    return std::string(value);
}

} // namespace sessionplatform
