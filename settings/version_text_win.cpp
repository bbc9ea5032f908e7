#include "settings/version_text_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "platform/program_location.h"
#include "settings/version_text.h"
#include "startup/system_text.h"

namespace gapscope {

std::string FileVersionText(const std::wstring& programFile) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(programFile.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(programFile.c_str(), 0, size, block.data())) return {};

    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* data = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &length) ||
        length < sizeof(Translation)) {
        return {};
    }
    const auto* first = static_cast<const Translation*>(data);
    wchar_t field[64];
    std::swprintf(field, std::size(field), L"\\StringFileInfo\\%4.4x%4.4x\\FileVersion",
                  first->language, first->codePage);
    // The length counts characters, the terminating NUL included.
    if (!VerQueryValueW(block.data(), field, &data, &length) || length == 0) return {};
    std::wstring text(static_cast<const wchar_t*>(data), length);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return Utf8FromUtf16(text);
}

std::string ProgramVersionText() {
    const std::filesystem::path program = ProgramFile({});
    return program.empty() ? std::string{} : FileVersionText(program.wstring());
}

}  // namespace gapscope
