#include "settings/stored_window.h"

#include "settings/settings_file.h"

namespace gapscope {

bool ReadAnnounceLosses(const std::string& programBaseName) {
    const std::optional<std::string> written = StoredValue(programBaseName, kAnnounceLossesValueName);
    return (written ? FlagValue(*written) : std::nullopt).value_or(true);
}

bool StoreAnnounceLosses(const std::string& programBaseName, bool on) {
    return !StoreValues(programBaseName, {{kAnnounceLossesValueName, on ? "1" : "0"}});
}

std::optional<StoredPlacement> ReadWindowPlacement(const std::string& programBaseName) {
    const std::optional<std::filesystem::path> path = SettingsFilePath(programBaseName);
    if (!path) return std::nullopt;
    const SettingsText text = ReadSettingsFile(*path).text;
    const auto read = [&](const char* name) -> std::optional<std::int32_t> {
        const auto found = text.values.find(name);
        return found == text.values.end() ? std::nullopt : IntegerValue(found->second);
    };
    const auto left = read(kWindowLeftValueName);
    const auto top = read(kWindowTopValueName);
    const auto width = read(kWindowWidthValueName);
    const auto height = read(kWindowHeightValueName);
    if (!left || !top || !width || !height) return std::nullopt;
    return StoredPlacement{*left, *top, *width, *height};
}

bool StoreWindowPlacement(const std::string& programBaseName, const StoredPlacement& placement) {
    return !StoreValues(programBaseName, {{kWindowLeftValueName, std::to_string(placement.left)},
                                          {kWindowTopValueName, std::to_string(placement.top)},
                                          {kWindowWidthValueName, std::to_string(placement.width)},
                                          {kWindowHeightValueName, std::to_string(placement.height)}});
}

}  // namespace gapscope
