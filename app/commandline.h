#pragma once

#include <optional>
#include <string>

/**
 * The two information options. They are answered before the single-instance check, so that
 * they work while Pellimo runs; any other argument is left alone (Qt takes its own, such as
 * -platform), and a second start with it still only brings the running window forward.
 */
namespace commandline {

struct Answer
{
    std::string text; // for standard output
    int exitCode = 0;
};

/** The answer to --help or --version (the first of them given), or nothing for a normal start. */
std::optional<Answer> informationRequest(int argc, const char* const* argv);

} // namespace commandline
