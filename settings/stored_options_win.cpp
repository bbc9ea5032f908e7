#include <windows.h>

#include <cstdint>

#include "settings/stored_options.h"
#include "startup/system_text.h"

namespace gapscope {

std::wstring ProgramKeyPath(const std::string& programBaseName) {
    return Utf16FromUtf8(std::string("Software\\") + kSettingsFolder + "\\" + programBaseName);
}

ReportOptions ReadStoredOptions(const std::string& programBaseName) {
    const std::wstring key = ProgramKeyPath(programBaseName);
    return OptionsFromStore([&](std::string_view valueName) -> std::optional<bool> {
        // RRF_RT_REG_DWORD admits the double-word type only: a text, a 64-bit number or
        // four bytes of binary data leave the default. The key is opened, never created.
        std::uint32_t number = 0;
        DWORD size = sizeof number;
        const LONG status =
            RegGetValueW(HKEY_CURRENT_USER, key.c_str(), Utf16FromUtf8(valueName).c_str(),
                         RRF_RT_REG_DWORD, nullptr, &number, &size);
        if (status != ERROR_SUCCESS || size != sizeof number) return std::nullopt;
        return number != 0;
    });
}

std::optional<std::string> SettingsProblem(const std::string&) {
    return std::nullopt;
}

void StoreOptions(const std::string& programBaseName, const ReportOptions& options) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ProgramKeyPath(programBaseName).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    for (const OptionField& field : OptionFields()) {
        if (!field.stored) continue;
        const DWORD number = options.*field.member ? 1 : 0;
        RegSetValueExW(key, Utf16FromUtf8(field.storedName).c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&number), sizeof number);
    }
    RegCloseKey(key);
}

}  // namespace gapscope
