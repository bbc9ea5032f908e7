#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gapscope {

// The command-line arguments after the program name, as UTF-8 text (on Windows read from
// the wide command line, so that any letter of a folder name survives).
std::vector<std::string> CommandArguments(int argc, char** argv);

// Writes UTF-8 text to standard output or standard error. A Windows console is given wide
// characters, so the text shows right whatever the console's own code page; anything else
// gets 8-bit text in the system's code page.
enum class StandardStream { kOutput, kError };
void WriteStandard(StandardStream stream, std::string_view text);

}  // namespace gapscope
