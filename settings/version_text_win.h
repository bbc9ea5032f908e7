#pragma once

#include <string>

namespace gapscope {

// The FileVersion string of a program file's version resource, in the table of the file's
// first translation (language and code page as "%4.4x%4.4x", so 080904e4 for English
// (United Kingdom), code page 1252); empty text when the file has no such information.
std::string FileVersionText(const std::wstring& programFile);

}  // namespace gapscope
