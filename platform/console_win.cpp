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

namespace {

StandardWriteFailure Failure(DWORD error) {
    return {SystemErrorText(error), error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE};
}

}  // namespace

std::optional<StandardWriteFailure> WriteStandard(StandardStream stream, std::string_view text) {
    const HANDLE handle =
        GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == INVALID_HANDLE_VALUE) return Failure(GetLastError());
    // No standard handle at all (a program started without one): nothing is there to fail.
    if (handle == nullptr || text.empty()) return std::nullopt;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        std::wstring wide = Utf16FromUtf8(text);
        std::wstring_view rest = wide;
        while (!rest.empty()) {
            DWORD written = 0;
            if (!WriteConsoleW(handle, rest.data(), static_cast<DWORD>(rest.size()), &written,
                               nullptr)) {
                return Failure(GetLastError());
            }
            if (written == 0) return Failure(ERROR_WRITE_FAULT);
            rest.remove_prefix(written);
        }
        return std::nullopt;
    }
    // Line ends as a program writing in text mode gives them on Windows.
    std::string bytes;
    for (const char c : SystemText(text)) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    std::string_view rest = bytes;
    while (!rest.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, rest.data(), static_cast<DWORD>(rest.size()), &written, nullptr)) {
            return Failure(GetLastError());
        }
        if (written == 0) return Failure(ERROR_WRITE_FAULT);
        rest.remove_prefix(written);
    }
    return std::nullopt;
}

}  // namespace gapscope
