#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gapscope {

// The command-line arguments after the program name, as UTF-8 text (on Windows read from
// the wide command line, so that any letter of a folder name survives).
std::vector<std::string> CommandArguments(int argc, char** argv);

// Why text could not be written to standard output or standard error. `closedPipe`: the
// reading end of a pipe was closed, as `| head` does once it has what it wants.
struct StandardWriteFailure {
    std::string reason;
    bool closedPipe = false;
};

// Writes UTF-8 text to standard output or standard error, all of it or up to a failure. A
// Windows console is given wide characters, so the text shows right whatever the console's
// own code page; anything else gets 8-bit text in the system's code page.
enum class StandardStream { kOutput, kError };
std::optional<StandardWriteFailure> WriteStandard(StandardStream stream, std::string_view text);

}  // namespace gapscope
