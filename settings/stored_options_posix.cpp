#include <map>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "settings/stored_folder.h"
#include "settings/stored_options.h"
#include "settings/stored_window.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

// How each value the programs keep is read, to tell which cannot be.
enum class Kind { Flag, Integer, Text };

bool Readable(Kind kind, const std::string& written) {
    switch (kind) {
        case Kind::Flag:
            return FlagValue(written).has_value();
        case Kind::Integer:
            return IntegerValue(written).has_value();
        case Kind::Text:
            return TextValue(written).has_value();
    }
    return false;
}

std::map<std::string, Kind> KeptValues() {
    std::map<std::string, Kind> kinds;
    for (const OptionField& field : OptionFields()) {
        if (field.stored) kinds[std::string(field.storedName)] = Kind::Flag;
    }
    kinds[kAnnounceLossesValueName] = Kind::Flag;
    for (const char* name : {kWindowLeftValueName, kWindowTopValueName, kWindowWidthValueName,
                             kWindowHeightValueName}) {
        kinds[name] = Kind::Integer;
    }
    kinds[kDataFolderValueName] = Kind::Text;
    return kinds;
}

}  // namespace

ReportOptions ReadStoredOptions(const std::string& programBaseName) {
    const std::optional<std::filesystem::path> path = SettingsFilePath(programBaseName);
    const SettingsText text = path ? ReadSettingsFile(*path).text : SettingsText{};
    return OptionsFromStore([&](std::string_view valueName) -> std::optional<bool> {
        const auto found = text.values.find(std::string(valueName));
        if (found == text.values.end()) return std::nullopt;
        return FlagValue(found->second);
    });
}

void StoreOptions(const std::string& programBaseName, const ReportOptions& options) {
    std::map<std::string, std::string> values;
    for (const OptionField& field : OptionFields()) {
        if (field.stored) values[std::string(field.storedName)] = options.*field.member ? "1" : "0";
    }
    StoreValues(programBaseName, values);
}

std::optional<std::string> SettingsProblem(const std::string& programBaseName) {
    const std::optional<std::filesystem::path> path = SettingsFilePath(programBaseName);
    if (!path) return std::nullopt;
    const SettingsFile file = ReadSettingsFile(*path);
    if (file.problem) return file.problem;
    std::vector<std::string> unread;
    for (const int line : file.text.badLines) unread.push_back("line " + std::to_string(line));
    for (const auto& [name, kind] : KeptValues()) {
        const auto found = file.text.values.find(name);
        if (found != file.text.values.end() && !Readable(kind, found->second)) unread.push_back(name);
    }
    if (unread.empty()) return std::nullopt;
    constexpr std::size_t kNamed = 3;
    std::string what;
    for (std::size_t i = 0; i < unread.size() && i < kNamed; ++i) what += (i == 0 ? "" : ", ") + unread[i];
    if (unread.size() > kNamed) what += " and " + std::to_string(unread.size() - kNamed) + " more";
    return "the settings file " + TextOfPath(*path) + " cannot be read in full (" + what +
           "): the defaults stand for what cannot be read";
}

}  // namespace gapscope
