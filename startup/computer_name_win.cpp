#include <windows.h>

#include "startup/computer_name.h"
#include "startup/system_text.h"

namespace gapscope {

std::optional<std::string> SystemComputerName() {
    // With no buffer the call gives the size the value needs, its NUL included, so a
    // variable set to an empty value still counts as set.
    const DWORD needed = GetEnvironmentVariableW(L"COMPUTERNAME", nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring value(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"COMPUTERNAME", value.data(), needed);
    value.resize(length < needed ? length : 0);
    return Utf8FromUtf16(value);
}

}  // namespace gapscope
