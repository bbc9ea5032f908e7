#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "report/report_options.h"

namespace gapscope {

// Every program of the family keeps its per-user values under this folder.
inline constexpr const char* kSettingsFolder = "Quillan";

// A program file's name without its directory and without everything from its last '.'
// on: "C:\Station\Gapscope.exe" -> "Gapscope", "/usr/bin/gapscope" -> "gapscope".
std::string ProgramBaseName(std::string_view programPath);

// The option switches the window keeps for this user under the given program base name
// (the window's own is its file's base name, normally "gapscope"). A value that is missing,
// unreadable or not a 32-bit integer gives the option's default; "Decontaminating" is
// never stored and always comes back unchecked. Reads only; nothing is written.
// On Windows the values are read from HKEY_CURRENT_USER\Software\Quillan\<base name>
// directly, elsewhere through the window's own store.
ReportOptions ReadStoredOptions(const std::string& programBaseName);

// Writes the fourteen stored options under the same program base name, each as a 32-bit
// integer 1 or 0 (replacing a value of any other type), creating the key when it is missing.
// Every failure is silent: what could not be written stays as it was.
void StoreOptions(const std::string& programBaseName, const ReportOptions& options);

// Why this user's stored values of the program cannot be read whole, in one line: the
// settings file is no regular file, a link of another user, unreadable, or holds lines or
// values that cannot be read (their defaults stand in). nullopt when all can be read or
// nothing is stored; always on Windows, whose registry keeps each value's type.
std::optional<std::string> SettingsProblem(const std::string& programBaseName);

#ifdef _WIN32
// The program's key under HKEY_CURRENT_USER: Software\Quillan\<base name>.
std::wstring ProgramKeyPath(const std::string& programBaseName);
#endif

// The design defaults with each stored option that `readFlag` finds (a set 32-bit integer
// as non-zero) put over its default.
ReportOptions OptionsFromStore(
    const std::function<std::optional<bool>(std::string_view valueName)>& readFlag);

}  // namespace gapscope
