#include "app/commandline.h"

#include <string_view>

#ifndef PELLIMO_VERSION
#define PELLIMO_VERSION "unknown"
#endif

namespace commandline {
namespace {

constexpr std::string_view Usage
    = "Usage: PLMO [--help | --version]\n"
      "\n"
      "Pellimo records which option each of the sixteen trees of the timed garden puzzle\n"
      "holds, marks options claimed twice, draws the pair lines on the map and times the\n"
      "attempt. It stays on top of the game window while \"Always on Top\" is ticked.\n"
      "\n"
      "  --help     show this help and exit\n"
      "  --version  show the version and exit\n"
      "\n"
      "Starting it while it runs brings the running window to the front.\n"
      "Settings are kept beside the program (its full path + \"_UserSettings.ini\"), or in\n"
      "$XDG_CONFIG_HOME/pellimo/PLMO_UserSettings.ini (default ~/.config/pellimo/) when\n"
      "the program's folder is not writable.\n";

} // namespace

std::optional<Answer> informationRequest(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h")
            return Answer { std::string(Usage), 0 };
        if (arg == "--version")
            return Answer { "PLMO (Pellimo) " PELLIMO_VERSION "\n", 0 };
    }
    return std::nullopt;
}

} // namespace commandline
