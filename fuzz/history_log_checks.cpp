// The history-log target: every property is checked against a plain, slow re-reading of
// the same text, so the index, the line table and the date map are all cross-examined.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
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
constexpr std::size_t kMaxScannedBlocks = 64;

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

// The decoded text against the file's bytes: an 8-bit file is kept byte for byte, a
// UTF-8 one loses only its mark, and a UTF-16 one becomes well-formed UTF-8 that keeps
// every ASCII character.
Finding CheckDecoding(std::string_view bytes, std::string_view text) {
    const auto startsWith = [&](std::string_view mark) {
        return bytes.substr(0, mark.size()) == mark;
    };
    if (startsWith("\xEF\xBB\xBF")) {
        if (text != bytes.substr(3)) return "UTF-8 text differs from the bytes after the mark";
    } else if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        if (!WellFormedUtf8(text)) return "UTF-16 log decoded to malformed UTF-8";
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
    } else if (text != bytes) {
        return "8-bit text differs from the bytes";
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

// Every block scanner this processor runs, against the meaning of its bits byte by byte;
// the needle search is held to its meaning through TextContainsEach.
Finding CheckScanners(std::string_view bytes) {
    const std::size_t blocks =
        std::min(kMaxScannedBlocks, (bytes.size() + kBlockBytes - 1) / kBlockBytes);
    std::vector<char> padded(std::max<std::size_t>(blocks, 1) * kBlockBytes, '\0');
    std::memcpy(padded.data(), bytes.data(), std::min(bytes.size(), padded.size()));
    const std::string_view text(padded.data(), padded.size());
    std::vector<BlockClasses> expected(blocks);
    for (std::size_t i = 0; i < blocks * kBlockBytes; ++i) {
        const std::uint64_t bit = std::uint64_t{1} << (i % kBlockBytes);
        BlockClasses& c = expected[i / kBlockBytes];
        if (text[i] == '\r' || text[i] == '\n') c.breaks |= bit;
        if (text[i] == '=') c.equals |= bit;
        if (IsDigit(text[i])) c.digit |= bit;
    }
    for (const BlockScanner& scanner : BlockScanners()) {
        std::vector<BlockClasses> classes(blocks);
        scanner.classify(text.data(), blocks, classes.data());
        if (classes != expected) return std::string(scanner.name) + " classifies a block wrongly";
    }
    return std::nullopt;
}

// The one-pass search for several needles against searching the joined text for each, and
// the answer of a log prepared for those needles (and not for dates) against both.
Finding CheckContainsEach(const HistoryLog& log, std::string_view bytes, const std::string& joined,
                          const std::vector<std::string>& dates) {
    const auto piece = [&](std::size_t at, std::size_t length) {
        return joined.empty() ? std::string("x") : joined.substr(at % joined.size(), length);
    };
    const std::array<std::string, 9> needles = {"IP=",
                                                "RP=",
                                                "67=",
                                                piece(0, 3),
                                                piece(joined.size() / 2, 1),
                                                piece(joined.size() / 3, 7),
                                                piece(joined.size() - 2, 2),
                                                piece(joined.size() / 5, 40),
                                                ""};
    const std::uint32_t found =
        log.TextContainsEach({needles[0], needles[1], needles[2], needles[3], needles[4],
                              needles[5], needles[6], needles[7], needles[8]});
    for (std::size_t k = 0; k < needles.size(); ++k) {
        const bool expected = joined.find(needles[k]) != std::string::npos;
        if (((found >> k) & 1u) != (expected ? 1u : 0u)) {
            return "TextContainsEach is wrong for needle " + std::to_string(k);
        }
    }
    std::array<std::string_view, 9> views;
    std::copy(needles.begin(), needles.end(), views.begin());
    const HistoryLog prepared = HistoryLog::FromBytes(bytes, {.dates = false, .needles = views});
    if (prepared.TextContainsEach(views) != found) return "needles prepared at load are wrong";
    for (const std::string& date : dates) {
        if (prepared.ContainsDate(date) != log.ContainsDate(date)) {
            return "ContainsDate(\"" + date + "\") without dates prepared differs";
        }
    }
    return std::nullopt;
}

Finding CheckSearches(const HistoryLog& log, std::string_view bytes,
                      const std::vector<std::string_view>& lines) {
    std::string joined;
    for (const std::string_view line : lines) {
        joined.append(line);
        joined.append("\r\n");
    }
    std::vector<std::string> dates;
    for (std::size_t i = 0; i + 8 <= joined.size() && dates.size() < kMaxDateProbes; ++i) {
        const std::string_view window = std::string_view(joined).substr(i, 8);
        if (!std::all_of(window.begin(), window.end(), IsDigit)) continue;
        dates.emplace_back(window);
        // Neighbours of a present date, most of them absent.
        std::string other(window);
        other[7] = static_cast<char>('0' + (other[7] - '0' + 1) % 10);
        dates.push_back(other);
        other[5] = static_cast<char>('0' + (other[5] - '0' + 3) % 10);
        dates.push_back(other);
    }
    dates.insert(dates.end(), {"20240105", "19991231", "00000000", "2024010", "2024-01-05"});
    for (const std::string& date : dates) {
        const bool expected = joined.find(date) != std::string::npos;
        if (log.ContainsDate(date) != expected) return "ContainsDate(\"" + date + "\") is wrong";
    }

    std::vector<std::string> needles = {"RP=", "IP=", "R9=", "67=", "\r\n", "=\r\n"};
    const std::size_t stride = std::max<std::size_t>(1, joined.size() / kMaxSubstringProbes);
    for (std::size_t at = 0; at < joined.size(); at += stride) {
        needles.push_back(joined.substr(at, 1 + at % 9));
    }
    for (const std::string& needle : needles) {
        const bool expected = joined.find(needle) != std::string::npos;
        if (log.TextContains(needle) != expected) return "TextContains is wrong for a needle";
    }
    return CheckContainsEach(log, bytes, joined, dates);
}

}  // namespace

Finding CheckHistoryLogInput(std::string_view bytes) {
    const std::string text = DecodeLogBytes(bytes);
    if (Finding f = CheckDecoding(bytes, text)) return f;
    std::string inPlace(bytes);
    DecodeLogBytesInPlace(inPlace);
    if (inPlace != text) return "decoding in place differs from decoding a copy";

    const HistoryLog log = HistoryLog::FromBytes(bytes);
    const std::vector<std::string_view> lines = SplitLines(text);
    if (Finding f = CheckLines(log, lines)) return f;
    if (log.TextBytes() != text.size()) return "TextBytes() is not the decoded size";
    const HistoryLog owned = HistoryLog::FromOwnedBytes(std::string(bytes));
    if (Finding f = CheckLines(owned, lines)) return "taking over the buffer: " + *f;
    // A file's buffer holds exactly its bytes, with nothing readable past them.
    std::unique_ptr<char[]> buffer(new char[bytes.size()]);
    std::memcpy(buffer.get(), bytes.data(), bytes.size());
    const HistoryLog read = HistoryLog::FromFileBuffer(std::move(buffer), bytes.size());
    if (Finding f = CheckLines(read, lines)) return "from a file buffer: " + *f;
    if (Finding f = CheckValueOf(read, lines)) return "from a file buffer: " + *f;
    if (Finding f = CheckScanners(bytes)) return f;
    if (Finding f = CheckValueOf(log, lines)) return f;
    return CheckSearches(log, bytes, lines);
}

}  // namespace gapscope::fuzz
