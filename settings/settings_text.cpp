#include "settings/settings_text.h"

#include <charconv>
#include <limits>

namespace gapscope {
namespace {

std::string_view Trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

bool IsGeneral(std::string_view name) {
    constexpr std::string_view kGeneral = "general";
    if (name.size() != kGeneral.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] - 'A' + 'a') : name[i];
        if (c != kGeneral[i]) return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A character of a "\x" or octal escape (a UTF-16 unit, as Qt writes them) in UTF-8.
void AppendUnit(std::string& text, unsigned unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
    if (unit < 0x80) {
        text += static_cast<char>(unit);
    } else if (unit < 0x800) {
        text += static_cast<char>(0xC0 | (unit >> 6));
        text += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (unit >> 12));
        text += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

std::optional<long long> DecimalValue(std::string_view written) {
    const std::optional<std::string> text = TextValue(written);
    if (!text) return std::nullopt;
    std::string_view digits = Trimmed(*text);
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
        if (digits.starts_with('-')) return std::nullopt;
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

}  // namespace

SettingsText ParseSettingsText(std::string_view bytes) {
    SettingsText text;
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    bool general = true;
    int number = 0;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        ++number;
        if (line.ends_with('\r')) line.remove_suffix(1);
        const std::string_view trimmed = Trimmed(line);
        const std::size_t equals = trimmed.find('=');
        if (trimmed.find('\0') != std::string_view::npos) {
            text.badLines.push_back(number);
        } else if (trimmed.empty()) {
            continue;  // the writing puts one before each section
        } else if (trimmed.front() == ';' || trimmed.front() == '#') {
            if (!general) text.otherSections.emplace_back(line);
        } else if (trimmed.front() == '[') {
            if (!trimmed.ends_with(']')) {
                text.badLines.push_back(number);
                continue;
            }
            general = IsGeneral(trimmed.substr(1, trimmed.size() - 2));
            if (!general) text.otherSections.emplace_back(trimmed);
        } else if (equals == std::string_view::npos || Trimmed(trimmed.substr(0, equals)).empty()) {
            text.badLines.push_back(number);
        } else if (general) {
            text.values[std::string(Trimmed(trimmed.substr(0, equals)))] =
                std::string(Trimmed(trimmed.substr(equals + 1)));
        } else {
            text.otherSections.emplace_back(line);
        }
    }
    return text;
}

std::string SettingsTextBytes(const SettingsText& text) {
    std::string bytes;
    if (!text.values.empty()) bytes += "[General]\n";
    for (const auto& [name, value] : text.values) bytes += name + "=" + value + "\n";
    for (const std::string& line : text.otherSections) {
        if (!bytes.empty() && line.starts_with('[')) bytes += "\n";
        bytes += line + "\n";
    }
    return bytes;
}

std::optional<std::string> TextValue(std::string_view written) {
    std::string text;
    bool inQuotes = false;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const char c = written[i];
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ',' && !inQuotes) {
            return std::nullopt;  // a list of texts
        } else if (c == ';' && !inQuotes) {
            break;  // a comment follows
        } else if (c != '\\') {
            text += c;
        } else if (++i < written.size()) {
            const char e = written[i];
            constexpr std::string_view kCodes = "a\ab\bf\fn\nr\rt\tv\v\"\"?" "?''\\\\";
            const std::size_t code = kCodes.find(e);
            if (code != std::string_view::npos && code % 2 == 0) {
                text += kCodes[code + 1];
            } else if (e == 'x' || (e >= '0' && e <= '7')) {
                const unsigned base = e == 'x' ? 16 : 8;
                unsigned unit = e == 'x' ? 0 : static_cast<unsigned>(e - '0');
                while (i + 1 < written.size() && HexDigit(written[i + 1]) >= 0 &&
                       HexDigit(written[i + 1]) < static_cast<int>(base)) {
                    unit = (unit * base + static_cast<unsigned>(HexDigit(written[++i]))) & 0xFFFF;
                }
                AppendUnit(text, unit);
            }
            // Any other escaped character is dropped, as Qt drops it.
        }
    }
    if (inQuotes) return std::nullopt;
    if (text.starts_with("@@")) return text.substr(1);
    if (text.starts_with('@')) return std::nullopt;  // a value of another type
    return text;
}

std::optional<bool> FlagValue(std::string_view written) {
    // A registry double word holds it, signed or not.
    const std::optional<long long> value = DecimalValue(written);
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return *value != 0;
}

std::optional<std::int32_t> IntegerValue(std::string_view written) {
    const std::optional<long long> value = DecimalValue(written);
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

std::string WrittenText(std::string_view text) {
    std::string out = text.starts_with('@') ? "@" : "";
    bool quoted = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    bool afterHexEscape = false;  // a hex digit there would continue the escape
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool hexDigit = HexDigit(c) >= 0;
        quoted = quoted || c == ';' || c == ',' || c == '=';
        if (afterHexEscape && hexDigit) {
            out += "\\x" + std::string(1, "0123456789abcdef"[byte >> 4]) + "0123456789abcdef"[byte & 15];
            continue;
        }
        afterHexEscape = false;
        constexpr std::string_view kCodes = "\aa\bb\ff\nn\rr\tt\vv\"\"\\\\";
        const std::size_t code = c == '\0' ? std::string_view::npos : kCodes.find(c);
        if (code != std::string_view::npos && code % 2 == 0) {
            out += '\\';
            out += kCodes[code + 1];
        } else if (byte < 0x20) {
            out += "\\x";
            if (byte >= 16) out += "0123456789abcdef"[byte >> 4];
            out += "0123456789abcdef"[byte & 15];
            afterHexEscape = true;
        } else {
            out += c;
        }
    }
    return quoted ? "\"" + out + "\"" : out;
}

}  // namespace gapscope
