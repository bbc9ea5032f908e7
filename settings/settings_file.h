#pragma once

// The per-user settings file (Linux and the like): found, read without trusting what stands
// at its place, and written through files/replace_file.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_text.h"

namespace gapscope {

// Where this user's settings of a program are kept: $XDG_CONFIG_HOME when that is an absolute
// path, else ~/.config; then Quillan/<base name>.conf. nullopt without a home to keep them in.
std::optional<std::filesystem::path> SettingsFilePath(const std::string& programBaseName);

struct SettingsFile {
    SettingsText text;  // empty when there is no file, or it was not read
    std::string bytes;  // as read
    // Why the file was not read, in one line; nullopt when it was, or there is none.
    std::optional<std::string> problem;
    // The file a write replaces: the path, or the target of a link of the user's own to a
    // file of the user's own. nullopt when nothing may be written there.
    std::optional<std::filesystem::path> replace;
};

// Reads the file at `path`. Only a regular file is read, opened without blocking, so that a
// FIFO or a device in its place is neither read nor waited for; a symlink is followed only
// when it and its target belong to the running user. What is not read, or is larger than
// any settings are, gives the problem and is never replaced. No file: nothing stored yet.
SettingsFile ReadSettingsFile(const std::filesystem::path& path);

// Puts the values (as written, by name) into the file's [General] section and writes it
// again, as durably as a report, unless ReadSettingsFile says it may not be replaced; a
// file that would not change is left alone. Lines that could not be read are dropped. Why
// nothing was written, or nullopt.
std::optional<std::string> WriteSettingsValues(const std::filesystem::path& path,
                                               const std::map<std::string, std::string>& values);

// The value of `name` as written in this user's settings of the program; nullopt when it
// is not there or the file cannot be read.
std::optional<std::string> StoredValue(const std::string& programBaseName, std::string_view name);
// WriteSettingsValues on this user's settings of the program.
std::optional<std::string> StoreValues(const std::string& programBaseName,
                                       const std::map<std::string, std::string>& values);

}  // namespace gapscope
