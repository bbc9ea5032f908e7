#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace gapscope {

// The station folder the operator chose in the window, kept per user beside the option
// switches, under a name of its own that is none of theirs.
inline constexpr const char* kDataFolderValueName = "DataFolder";

// The stored folder of the program with this base name; nullopt when none is stored or the
// value is empty or not a text.
std::optional<std::filesystem::path> ReadStoredDataFolder(const std::string& programBaseName);

// Stores the folder at once; false when the store could not be written.
bool StoreDataFolder(const std::string& programBaseName, const std::filesystem::path& folder);

}  // namespace gapscope
