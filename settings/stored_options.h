#pragma once

#include <string>
#include <string_view>

#include "report/report_options.h"

namespace gapscope {

// A program file's name without its directory and without everything from its last '.'
// on: "C:\Station\Gapscope.exe" -> "Gapscope", "/usr/bin/gapscope" -> "gapscope".
std::string ProgramBaseName(std::string_view programPath);

// The option switches the window keeps for this user under the given program base name
// (the window's own is its file's base name, normally "gapscope"). A value that is missing,
// unreadable or not a 32-bit integer gives the option's default; "Decontaminating" is
// never stored and always comes back unchecked. Reads only; nothing is written.
ReportOptions ReadStoredOptions(const std::string& programBaseName);

}  // namespace gapscope
