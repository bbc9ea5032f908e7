#include <windows.h>

#include "settings/stored_folder.h"
#include "settings/stored_options.h"
#include "startup/system_text.h"

namespace gapscope {

std::optional<std::filesystem::path> ReadStoredDataFolder(const std::string& programBaseName) {
    const std::wstring key = ProgramKeyPath(programBaseName);
    const std::wstring name = Utf16FromUtf8(kDataFolderValueName);
    // A text value only; RegGetValueW ends it with a NUL even where the stored one has none.
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                     text.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(text.find(L'\0'));
    if (text.empty()) return std::nullopt;
    return std::filesystem::path(text);
}

bool StoreDataFolder(const std::string& programBaseName, const std::filesystem::path& folder) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ProgramKeyPath(programBaseName).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring text = folder.wstring();
    const LONG status = RegSetValueExW(key, Utf16FromUtf8(kDataFolderValueName).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace gapscope
