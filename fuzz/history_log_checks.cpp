// The history-log target: every property is checked against a naive re-reading of the same
// text, so the key index, the line table and the dates are all cross-examined.
#include <algorithm>
#include <array>
#include <cstdint>
#include <chrono>
#include <vector>

#include "fuzz/fuzz_inputs.h"
#include "history/history_log.h"
#include "history/log_text.h"

namespace gapscope::fuzz {
namespace {

// Enough look-ups to cover the shapes of a short input without making a long one slow.
constexpr std::size_t kMaxKeyProbes = 64;
constexpr std::size_t kMaxDateProbes = 64;
constexpr std::size_t kMaxSubstringProbes = 32;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

char SwapCase(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c + ('a' - 'A'));
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - ('a' - 'A'));
    return c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view ReferenceValue(const std::vector<std::string_view>& lines, std::string_view key) {
    for (const std::string_view line : lines) {
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && SameIgnoringCase(line.substr(0, eq), key)) {
            return line.substr(eq + 1);
        }
    }
    return {};
}

// The decoded text against the file's bytes: always well-formed UTF-8; an 8-bit file keeps
// one character per byte and every ASCII byte in its place, a UTF-8 one loses only its
// mark when it is well-formed, and a UTF-16 one keeps every ASCII character.
Finding CheckDecoding(std::string_view bytes, std::string_view text) {
    if (!WellFormedUtf8(text)) return "a log decoded to malformed UTF-8";
    const auto startsWith = [&](std::string_view mark) {
        return bytes.substr(0, mark.size()) == mark;
    };
    if (startsWith("\xEF\xBB\xBF")) {
        if (WellFormedUtf8(bytes.substr(3)) && text != bytes.substr(3)) {
            return "UTF-8 text differs from the bytes after the mark";
        }
    } else if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        std::size_t asciiUnits = 0;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto high = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
            const auto low = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
            if (high == 0 && low < 0x80) ++asciiUnits;
        }
        const auto asciiBytes = static_cast<std::size_t>(std::count_if(
            text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
        if (asciiUnits != asciiBytes) return "UTF-16 decoding lost or invented ASCII characters";
    } else {
        const std::u32string characters = Characters(text);
        if (characters.size() != bytes.size()) return "8-bit text is not one character a byte";
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (byte < 0x80 && characters[i] != byte) return "8-bit text moved an ASCII byte";
        }
    }
    return std::nullopt;
}

Finding CheckLines(const HistoryLog& log, const std::vector<std::string_view>& lines) {
    if (log.LineCount() != lines.size()) return "line count differs from a plain split";
    if (log.Empty() != lines.empty()) return "Empty() disagrees with the line count";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (log.Line(i) != lines[i])
            return "line " + std::to_string(i) + " differs from a plain split";
    }
    if (!log.Line(lines.size()).empty()) return "a line past the end is not empty";
    return std::nullopt;
}

Finding CheckValueOf(const HistoryLog& log, const std::vector<std::string_view>& lines) {
    // Keys of the first lines and of the last ones, where a later duplicate must lose.
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < lines.size() && keys.size() < kMaxKeyProbes; ++i) {
        const std::size_t at =
            i < kMaxKeyProbes / 2 ? i : lines.size() - 1 - (i - kMaxKeyProbes / 2);
        const std::string_view line = lines[at];
        const std::size_t eq = line.find('=');
        const std::string key(line.substr(0, eq));
        keys.push_back(key);
        std::string swapped = key;
        std::transform(swapped.begin(), swapped.end(), swapped.begin(), SwapCase);
        keys.push_back(swapped);
        keys.push_back(key + "x");
        if (!key.empty()) keys.push_back(key.substr(0, key.size() - 1));
        if (eq != std::string_view::npos) keys.emplace_back(line);  // holds "=": never a key
    }
    keys.emplace_back();
    for (const std::string& key : keys) {
        const std::string_view expected =
            key.find('=') == std::string::npos ? ReferenceValue(lines, key) : std::string_view{};
        if (log.ValueOf(key) != expected)
            return "ValueOf(\"" + key + "\") differs from a plain scan";
    }
    return std::nullopt;
}

Finding CheckSearches(const HistoryLog& log, const std::vector<std::string_view>& lines) {
    std::string joined;
    for (const std::string_view line : lines) {
        joined.append(line);
        joined.append("\r\n");
    }
    // Dates in the text, their neighbours (most of them absent) and a few fixed ones.
    std::vector<Day> days = {Day{std::chrono::year{2024} / 1 / 5}, Day{std::chrono::year{1999} / 12 / 31},
                             Day{std::chrono::year{0} / 1 / 1}};
    for (std::size_t i = 0; i + 8 <= joined.size() && days.size() < kMaxDateProbes; ++i) {
        const std::string_view window = std::string_view(joined).substr(i, 8);
        if (!std::all_of(window.begin(), window.end(), IsDigit)) continue;
        const auto number = [&](std::size_t at, std::size_t length) {
            int value = 0;
            for (std::size_t k = at; k < at + length; ++k) value = value * 10 + (window[k] - '0');
            return value;
        };
        const std::chrono::year_month_day ymd{std::chrono::year{number(0, 4)},
                                              std::chrono::month{static_cast<unsigned>(number(4, 2))},
                                              std::chrono::day{static_cast<unsigned>(number(6, 2))}};
        if (!ymd.ok()) continue;
        days.push_back(Day{ymd});
        days.push_back(Day{ymd} + std::chrono::days{1});
        days.push_back(Day{ymd} - std::chrono::days{40});
    }
    for (const Day day : days) {
        const bool expected = joined.find(CompactDate(day)) != std::string::npos;
        if (log.ContainsDate(day) != expected) return "ContainsDate(" + CompactDate(day) + ") is wrong";
    }

    // Needles without line breaks, as the start-up asks; pieces of the text cut at line ends.
    std::vector<std::string> needles = {"RP=", "IP=", "R9=", "67=", ""};
    const std::size_t stride = std::max<std::size_t>(1, joined.size() / kMaxSubstringProbes);
    for (std::size_t at = 0; at < joined.size(); at += stride) {
        const std::string piece = joined.substr(at, 1 + at % 9);
        needles.push_back(piece.substr(0, piece.find_first_of("\r\n")));
    }
    for (const std::string& needle : needles) {
        const bool expected = joined.find(needle) != std::string::npos;
        if (log.TextContains(needle) != expected) return "TextContains is wrong for a needle";
    }
    if (log.TextContainsAny({"IP=", "IE=", "I9="}) !=
        (log.TextContains("IP=") || log.TextContains("IE=") || log.TextContains("I9="))) {
        return "TextContainsAny differs from its needles one by one";
    }
    return std::nullopt;
}

}  // namespace

bool WellFormedUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t value = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            value = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            value = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            value = c & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            value = (value << 6) | (next & 0x3F);
        }
        const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

Finding CheckHistoryLogInput(std::string_view bytes) {
    const std::string text = DecodeLogBytes(std::string(bytes));
    if (Finding f = CheckDecoding(bytes, text)) return f;

    const HistoryLog log = HistoryLog::FromBytes(std::string(bytes));
    const std::vector<std::string_view> lines = SplitLines(text);
    if (Finding f = CheckLines(log, lines)) return f;
    if (Finding f = CheckValueOf(log, lines)) return f;
    // A copy keeps answering after the original is gone.
    HistoryLog copy;
    {
        const HistoryLog original = HistoryLog::FromBytes(std::string(bytes));
        copy = original;
    }
    if (Finding f = CheckValueOf(copy, lines)) return "a copy: " + *f;
    return CheckSearches(log, lines);
}

}  // namespace gapscope::fuzz
