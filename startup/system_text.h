#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace gapscope {

// Text inside the program is UTF-8 on every system.

// Paths from that text and back. They go through char8_t because a narrow path on Windows
// would be taken in the ANSI code page and lose the letters that page lacks; elsewhere
// the bytes pass unchanged.
inline std::filesystem::path PathFromText(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string TextOfPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A saved report, and output that does not go to a console, is 8-bit text in the system's
// code page: UTF-8 where that is the system's, the ANSI code page on Windows (a character
// the page lacks becomes '?'). Bytes that are not UTF-8 pass unchanged.
std::string SystemText(std::string_view text);

#ifdef _WIN32
std::wstring Utf16FromUtf8(std::string_view text);
std::string Utf8FromUtf16(std::wstring_view text);
// The system's message for a Windows error code, without its closing full stop; "error N"
// when it has none.
std::string SystemErrorText(unsigned long error);
#endif

}  // namespace gapscope
