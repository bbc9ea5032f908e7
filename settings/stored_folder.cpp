#include "settings/stored_folder.h"

#include "settings/settings_file.h"
#include "startup/system_text.h"

namespace gapscope {

std::optional<std::filesystem::path> ReadStoredDataFolder(const std::string& programBaseName) {
    const std::optional<std::string> written = StoredValue(programBaseName, kDataFolderValueName);
    const std::optional<std::string> text = written ? TextValue(*written) : std::nullopt;
    if (!text || text->empty()) return std::nullopt;
    return PathFromText(*text);
}

bool StoreDataFolder(const std::string& programBaseName, const std::filesystem::path& folder) {
    return !StoreValues(programBaseName, {{kDataFolderValueName, WrittenText(TextOfPath(folder))}});
}

}  // namespace gapscope
