#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/console.h"
#include "startup/system_text.h"

namespace gapscope {

std::vector<std::string> CommandArguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (wide == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromUtf16(wide[i]));
    LocalFree(wide);
    return arguments;
}

void WriteStandard(StandardStream stream, std::string_view text) {
    const HANDLE handle =
        GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = Utf16FromUtf8(text);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // Line ends as a program writing in text mode gives them on Windows.
    std::string bytes;
    for (const char c : SystemText(text)) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace gapscope
