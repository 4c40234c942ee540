#pragma once

#include <functional>
#include <optional>
#include <string>

/**
 * Which Qt platform to run on in a Wayland session. A Wayland client can neither keep itself
 * above other windows nor bring itself to the front, which is what Pellimo is for; through
 * XWayland it can. Decided before the application object exists, from the environment.
 */
namespace sessionplatform {

struct Choice
{
    std::optional<std::string> platform; // a value for QT_QPA_PLATFORM; none: leave Qt's choice
    std::string notice; // one line for standard error, or empty
};

/** Reads an environment variable; an unset one gives nothing. */
using Environment = std::function<std::optional<std::string>(const char* name)>;

/**
 * The choice for this environment and these arguments. A platform the user named, in
 * QT_QPA_PLATFORM or with -platform, is always kept.
 */
Choice choose(const Environment& environment, int argc, const char* const* argv);

/** The process environment, for choose(). */
std::optional<std::string> processEnvironment(const char* name);

} // namespace sessionplatform
