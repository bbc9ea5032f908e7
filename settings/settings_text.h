#pragma once

// The text of a per-user settings file: the INI form of Qt's settings, which earlier versions
// wrote and this one reads and writes alike. Values are kept as they are written; the
// functions at the end read and write them.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gapscope {

struct SettingsText {
    // NAME=VALUE lines of the [General] section (and of lines before any section), by name,
    // each value as written, the last of a name counting.
    std::map<std::string, std::string> values;
    // The other sections' lines, kept as they are and written back after [General].
    std::vector<std::string> otherSections;
    // Numbers (from 1) of the lines that are none of an empty line, a comment (';' or '#'),
    // a section heading or NAME=VALUE: a file cut short, garbage, a NUL byte.
    std::vector<int> badLines;
    friend bool operator==(const SettingsText&, const SettingsText&) = default;
};

SettingsText ParseSettingsText(std::string_view bytes);
// [General] with its values by name, then the other sections; nothing for an empty text.
std::string SettingsTextBytes(const SettingsText& text);

// A value as a text: quoted parts, backslash escapes, "@@" for a leading '@'. nullopt for
// what is no plain text: a list (a ',' outside quotes), a typed value ("@Variant(...)"), a
// quote left open.
std::optional<std::string> TextValue(std::string_view written);
// A value as a flag: a 32-bit integer, signed or not, in decimal; non-zero is set.
std::optional<bool> FlagValue(std::string_view written);
// A value as a signed 32-bit integer in decimal.
std::optional<std::int32_t> IntegerValue(std::string_view written);
// A text as a value, escaped so that TextValue gives it back.
std::string WrittenText(std::string_view text);

}  // namespace gapscope
