// The minute-record target: item lists must survive being written back out, the MSG/other
// split must keep every value where the scans look for it, and masks must read as plain
// hexadecimal numbers or fail with the operator's message.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_inputs.h"
#include "history/items.h"
#include "history/log_text.h"
#include "history/mask.h"
#include "history/segment_scan.h"

namespace gapscope::fuzz {
namespace {

constexpr std::size_t kMaxMaskProbes = 32;
constexpr std::array<std::string_view, 6> kPrologEpilogKeys = {"P", "E", "RP", "RE", "IP", "IE"};

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

std::vector<std::string> Texts(const ItemList& items) {
    std::vector<std::string> texts;
    for (const Item& item : items) texts.push_back(item.text);
    return texts;
}

Finding CheckItems(std::string_view record, const ItemList& items) {
    for (const Item& item : items) {
        const std::size_t eq = item.text.find('=');
        if (item.keyLength != eq) return "item key length is not the place of its first \"=\"";
        if (item.text.find('\0') != std::string::npos) return "an item holds a NUL";
    }
    // Every item written back quoted, as a careful writer of the logs would, reads the same.
    std::string written;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) written += ',';
        written += Quoted(items[i].text);
    }
    if (Texts(ParseItems(written)) != Texts(items))
        return "items written back quoted read differently";
    if (record.empty() && !items.empty()) return "an empty record has items";
    return std::nullopt;
}

std::string ChannelKey(ScanMode mode, ChannelNumber n) {
    const char* prefix = mode == ScanMode::RapidScan ? "R" : mode == ScanMode::Iodc ? "I" : "";
    std::string key = prefix;
    key += std::to_string(n);
    return key;
}

bool IsPrologEpilogKey(std::string_view key) {
    for (const std::string_view k : kPrologEpilogKeys) {
        if (EqualsIgnoreCase(k, key)) return true;
    }
    return false;
}

// The part holds exactly the channels of [first, last] and the prolog/epilog keys that the
// record gives a value, each with the record's first value for that key.
Finding CheckPart(const ItemList& record, std::string_view part, ScanMode mode, ChannelNumber first,
                  ChannelNumber last, const char* name) {
    const ItemList items = ParseItems(part);
    bool anything = false;
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        const std::string key = ChannelKey(mode, n);
        const std::string_view expected = (n >= first && n <= last) ? ValueOf(record, key) : "";
        if (ValueOf(items, key) != expected) {
            return std::string(name) + " part has the wrong value for channel " + std::to_string(n);
        }
        anything = anything || !expected.empty();
    }
    for (const std::string_view key : kPrologEpilogKeys) {
        const std::string_view expected = ValueOf(record, key);
        if (ValueOf(items, key) != expected) {
            return std::string(name) + " part has the wrong prolog/epilog value";
        }
        anything = anything || !expected.empty();
    }
    for (const Item& item : items) {
        if (item.Value().empty()) return std::string(name) + " part holds an empty item";
        bool known = IsPrologEpilogKey(item.Key());
        for (ChannelNumber n = first; n <= last && !known; ++n) {
            known = item.Key() == ChannelKey(mode, n);
        }
        if (!known) return std::string(name) + " part holds a foreign key";
    }
    if (anything == part.empty())
        return std::string(name) + " part is empty exactly when it is not";
    return std::nullopt;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One optional "$", then hex digits; leading zeros do not count towards the 32 bits.
std::optional<std::uint32_t> ReferenceMask(std::string_view text) {
    if (!text.empty() && text.front() == '$') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    for (const char c : text) {
        if (HexValue(c) < 0) return std::nullopt;
    }
    const std::size_t nonZero = text.find_first_not_of('0');
    if (nonZero == std::string_view::npos) return 0;
    if (text.size() - nonZero > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text.substr(nonZero))
        value = value * 16 + static_cast<std::uint32_t>(HexValue(c));
    return value;
}

bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// The message names the mask with its "$": a short, printable one of well-formed characters
// exactly, anything else by a printable start of bounded length, always as valid UTF-8.
Finding CheckMaskMessage(std::string_view text, std::string_view message) {
    std::string shown = (!text.empty() && text.front() == '$') ? "" : "$";
    shown += text;
    const std::string_view tail = "'' is not a valid integer value";
    const std::u32string characters = Characters(shown);
    const bool wellFormed = WellFormedUtf8(shown);
    const bool printable = std::none_of(characters.begin(), characters.end(), IsControl);
    if (wellFormed && printable && characters.size() <= 64) {
        if (message != "''" + shown + std::string(tail)) return "mask message has the wrong form";
        return std::nullopt;
    }
    if (message.substr(0, 3) != "''$" || message.size() < tail.size() ||
        message.substr(message.size() - tail.size()) != tail) {
        return "mask message has the wrong form";
    }
    if (!WellFormedUtf8(message)) return "mask message is not valid UTF-8";
    const std::u32string said = Characters(message);
    if (said.size() > 2 + 64 + 3 + tail.size()) return "mask message is not bounded";
    if (std::any_of(said.begin(), said.end(), IsControl)) {
        return "mask message holds control characters";
    }
    return std::nullopt;
}

Finding CheckMask(std::string_view text, std::uint8_t shape) {
    const std::optional<std::uint32_t> expected = ReferenceMask(text);
    if (TryParseMask(text) != expected)
        return "TryParseMask(\"" + std::string(text) + "\") is wrong";
    try {
        const std::uint32_t value = ParseMask(text);
        if (!expected || value != *expected) return "ParseMask accepted a bad mask";
    } catch (const MaskError& error) {
        if (expected) return "ParseMask refused a good mask";
        if (Finding f = CheckMaskMessage(text, error.what())) return f;
    }

    const int first = shape % 8;
    const int count = shape / 8 % 33;
    long expectedCount = 5;
    long received = 7;
    try {
        const std::string listed = MissingSegmentText(text, first, count, expectedCount, received);
        if (!expected) return "MissingSegmentText accepted a bad mask";
        std::string reference;
        for (int k = std::max(first, 1); k <= count; ++k) {
            if (((*expected >> (k - 1)) & 1u) == 0) reference += std::to_string(k) + ' ';
        }
        if (listed != reference) return "missing segments listed wrongly";
        const long missing = static_cast<long>(std::count(listed.begin(), listed.end(), ' '));
        if (expectedCount != 5 + count || received != 7 + count - missing) {
            return "segment counters added wrongly";
        }
        // Every channel read from the late history has at least one segment.
        const int lateCount = 1 + (shape / 8) % 32;
        const std::uint32_t lateBits = lateCount == 32 ? ~0u : (1u << lateCount) - 1u;
        const std::string late = LateSegmentText(text, lateCount);
        if (late.empty() != ((*expected & lateBits) == 0)) {
            return "late segments listed wrongly";
        }
    } catch (const MaskError&) {
        if (expected) return "segment lists refused a good mask";
    }
    return std::nullopt;
}

}  // namespace

Finding CheckRecordInput(std::string_view bytes) {
    const ItemList items = ParseItems(bytes);
    if (Finding f = CheckItems(bytes, items)) return f;

    for (const ScanMode mode : {ScanMode::Prime, ScanMode::RapidScan, ScanMode::Iodc}) {
        const SplitRecord split = SplitMinuteRecord(bytes, mode);
        if (Finding f = CheckPart(items, split.msgPart, mode, 1, 17, "MSG")) return f;
        if (Finding f = CheckPart(items, split.otherPart, mode, 18, kLastChannel, "other"))
            return f;
    }

    const std::uint8_t shape = bytes.empty() ? 0 : static_cast<std::uint8_t>(bytes.back());
    std::size_t probes = 0;
    for (const Item& item : items) {
        if (++probes > kMaxMaskProbes) break;
        if (Finding f = CheckMask(item.Value(), static_cast<std::uint8_t>(shape + probes)))
            return f;
    }
    // The record itself as one mask, as a record without "=" would be read.
    return CheckMask(bytes.substr(0, bytes.find('\0')), shape);
}

}  // namespace gapscope::fuzz
