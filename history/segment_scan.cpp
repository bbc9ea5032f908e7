#include "history/segment_scan.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>

#include "catalogue/calendar_rules.h"
#include "catalogue/catalogue.h"
#include "catalogue/labels.h"
#include "history/items.h"
#include "history/mask.h"

namespace gapscope {

namespace {

namespace cal = calendar;

constexpr ChannelNumber kLastMsgChannel = cal::kLrit.last;
// The prolog and epilog files of the HRIT and LRIT services go by their first channel.
constexpr ChannelNumber kFirstHritChannel = cal::kHrit.first;
constexpr ChannelNumber kFirstLritChannel = cal::kLrit.first;
constexpr std::array<std::string_view, 6> kPrologEpilogKeys = {"P", "IP", "RP", "E", "IE", "RE"};

bool NeedsQuotes(std::string_view entry) {
    return std::any_of(entry.begin(), entry.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 32 || c == ',' || c == '"';
    });
}

void AppendEntry(std::string& part, std::string_view key, std::string_view value) {
    std::string entry = std::string(key) + "=" + std::string(value);
    if (!part.empty()) part += ',';
    if (!NeedsQuotes(entry)) {
        part += entry;
        return;
    }
    part += '"';
    for (char c : entry) {
        if (c == '"') part += '"';
        part += c;
    }
    part += '"';
}

void AppendIfPresent(std::string& part, const ItemList& items, std::string_view key) {
    const std::string_view value = ValueOf(items, key);
    if (!value.empty()) AppendEntry(part, key, value);
}

// The channel a key names in the mode's key form ("9", "R9", "I9", prefix in either
// case), or 0. A leading zero makes a different key, as the look-up by text would.
ChannelNumber ChannelOfKey(std::string_view key, ScanMode mode) {
    const std::string_view prefix = ChannelKeyPrefix(mode);
    if (!prefix.empty()) {
        if (key.empty() || (key.front() | 0x20) != (prefix.front() | 0x20)) return 0;
        key.remove_prefix(1);
    }
    if (key.empty() || key.size() > 3 || key.front() == '0') return 0;
    ChannelNumber n = 0;
    for (char c : key) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n <= kLastChannel ? n : 0;
}

// The value of the first item of each channel key, found in one pass over the record;
// the same answers as looking each key up in turn.
std::array<std::string_view, kLastChannel + 1> ChannelValues(const ItemList& items, ScanMode mode) {
    std::array<std::string_view, kLastChannel + 1> values{};
    std::array<bool, kLastChannel + 1> seen{};
    for (const Item& item : items) {
        if (item.keyLength == std::string::npos) continue;
        const ChannelNumber n = ChannelOfKey(item.Key(), mode);
        if (n == 0 || seen[static_cast<std::size_t>(n)]) continue;
        seen[static_cast<std::size_t>(n)] = true;
        values[static_cast<std::size_t>(n)] = item.Value();
    }
    return values;
}

// Whether the channel's cycle at the minute falls in its night window (calendar_rules.h).
bool InVisibleNight(ChannelNumber n, int minute, Day reportDay) {
    const cal::NightWindow* window = nullptr;
    for (const cal::NightWindow& row : cal::kNightWindows) {
        if (row.channel == n && reportDay >= row.from) window = &row;
    }
    return window && minute % 60 == 0 && minute >= window->first && minute <= window->last;
}

// The images checked segment by segment wherever they are expected.
bool CheckedBySegment(ChannelNumber n) {
    return cal::kHrit.Contains(n) || cal::kLrit.Contains(n) || cal::Contains(cal::kGoesWest, n) ||
           cal::Contains(cal::kGoesEast, n) || cal::Contains(cal::kMtsat, n) ||
           cal::Contains(cal::kFy2g, n) || cal::Contains(cal::kFy2e, n) ||
           cal::Contains(cal::kHimawariBands, n);
}

struct SegmentRange {
    int first = 1;
    int count = 0;
};

// What a present channel is checked against; nullopt: checked for presence only.
std::optional<SegmentRange> SegmentsToCheck(ChannelNumber n, const ScanContext& ctx) {
    if (n == cal::kGoesEastWv && ctx.goes12Bypass) {
        return SegmentRange{1, cal::kGoesEastWvBypassSegments};
    }
    if (CheckedBySegment(n)) return SegmentRange{FirstSegmentSent(n, ctx.mode), ChannelSegments(n)};

    if (!ctx.countedProducts.Contains(n)) return std::nullopt;
    if (ctx.mode == ScanMode::RapidScan) {
        if (n == cal::kCsr && !ctx.csrInService) return std::nullopt;
        if (ctx.singleSegmentProducts && n == cal::kMpe) return SegmentRange{1, 1};
        return SegmentRange{1, cal::RapidScanProductSegments(n)};
    }
    return SegmentRange{1, ctx.singleSegmentProducts ? 1 : ChannelSegments(n)};
}

// Segments 1..count as bits; counts above 32 cannot occur in a 32-bit mask.
std::uint64_t SegmentBits(int first, int count) {
    std::uint64_t bits = 0;
    for (int k = std::max(first, 1); k <= std::min(count, 64); ++k)
        bits |= std::uint64_t{1} << (k - 1);
    return bits;
}

bool HasSegment(std::uint64_t mask, int k) {
    return k >= 1 && k <= 64 && ((mask >> (k - 1)) & 1u);
}

struct PrologEpilogKeys {
    std::string_view prolog;
    std::string_view epilog;
};

PrologEpilogKeys PrologEpilogKeysOf(ScanMode mode) {
    switch (mode) {
        case ScanMode::RapidScan:
            return {"RP", "RE"};
        case ScanMode::Iodc:
            return {"IP", "IE"};
        case ScanMode::Prime:
            break;
    }
    return {"P", "E"};
}

void AddPrologEpilogLines(const ItemList& items, ScanMode mode, const ChannelSet& scanned,
                          std::vector<std::string>& lines, ScanFindings* found) {
    const PrologEpilogKeys keys = PrologEpilogKeysOf(mode);
    const bool hrit = scanned.Contains(kFirstHritChannel);
    const bool lrit = scanned.Contains(kFirstLritChannel);
    const auto add = [&](ScanSubject subject, ChannelNumber service, const char* line) {
        lines.emplace_back(line);
        if (found) found->items.push_back(ScanItem{subject, service, true, {1}});
    };
    if (PrologOrEpilogMissing(ValueOf(items, keys.prolog), scanned)) {
        if (hrit) add(ScanSubject::Prolog, kFirstHritChannel, "   HRIT prolog missing");
        if (lrit) add(ScanSubject::Prolog, kFirstLritChannel, "   LRIT prolog missing");
    }
    if (PrologOrEpilogMissing(ValueOf(items, keys.epilog), scanned)) {
        if (hrit) add(ScanSubject::Epilog, kFirstHritChannel, "   HRIT epilog missing");
        if (lrit) add(ScanSubject::Epilog, kFirstLritChannel, "   LRIT epilog missing");
    }
}

// The prolog and epilog files the scan of the set looks for, in the order of their lines.
void PlanPrologEpilog(const ChannelSet& scanned, std::vector<ScannedChannel>& out) {
    for (ScanSubject subject : {ScanSubject::Prolog, ScanSubject::Epilog}) {
        for (ChannelNumber service : {kFirstHritChannel, kFirstLritChannel}) {
            if (scanned.Contains(service)) out.push_back(ScannedChannel{subject, service, 1, 1});
        }
    }
}

// A channel as the scan examines it: the segments it checks, or the one segment of a
// channel checked for presence only.
ScannedChannel Examined(ChannelNumber n, const std::optional<SegmentRange>& range) {
    if (!range) return ScannedChannel{ScanSubject::Channel, n, 1, 1};
    return ScannedChannel{ScanSubject::Channel, n, range->first, range->count};
}

// The segment list of MissingSegmentText and, when asked, its numbers.
std::string MissingSegments(std::string_view mask, int firstSegment, int segmentCount,
                            long& expected, long& received, std::vector<int>* numbers) {
    expected += segmentCount;
    const std::uint64_t receivedMask = ParseMask(mask);
    const std::uint64_t wanted = SegmentBits(firstSegment, segmentCount);
    if (receivedMask == wanted) {
        received += segmentCount;
        return {};
    }
    std::string text;
    for (int k = 1; k <= segmentCount; ++k) {
        if (k >= firstSegment && HasSegment(wanted, k) && !HasSegment(receivedMask, k)) {
            text += std::to_string(k) + ' ';
            if (numbers) numbers->push_back(k);
        } else {
            ++received;
        }
    }
    return text;
}

// The late list of LateSegmentText and, when asked, its numbers (every segment for "all").
std::string LateSegments(std::string_view mask, int segmentCount, std::vector<int>* numbers) {
    const std::uint64_t late = ParseMask(mask);
    const std::uint64_t all = SegmentBits(1, segmentCount);
    if (late == all) {
        if (numbers) *numbers = SegmentNumbers(1, segmentCount);
        return "all";
    }
    std::string text;
    for (int k = 1; k <= segmentCount; ++k) {
        if (HasSegment(late, k)) {
            text += std::to_string(k) + ' ';
            if (numbers) numbers->push_back(k);
        }
    }
    return text;
}

// Runs a mask reading; a bad mask leaves with the key of the item it belongs to.
template <typename Read>
std::string WithItemNamed(const std::string& key, Read read) {
    try {
        return read();
    } catch (MaskError& error) {
        error.item = key;
        throw;
    }
}

}  // namespace

SplitRecord SplitMinuteRecord(std::string_view record, ScanMode mode) {
    SplitRecord split;
    if (record.empty()) return split;
    const ItemList items = ParseItems(record);
    const auto values = ChannelValues(items, mode);
    const auto addChannel = [&](std::string& part, ChannelNumber n) {
        const std::string_view value = values[static_cast<std::size_t>(n)];
        if (!value.empty()) AppendEntry(part, ChannelKey(n, mode), value);
    };
    for (ChannelNumber n = kLastMsgChannel + 1; n <= kLastChannel; ++n) {
        addChannel(split.otherPart, n);
    }
    for (ChannelNumber n = kFirstChannel; n <= kLastMsgChannel; ++n) addChannel(split.msgPart, n);
    // Prolog and epilog of every service go to both parts: an MSG part holding only them
    // still shows that the cycle was received.
    for (std::string_view key : kPrologEpilogKeys) AppendIfPresent(split.msgPart, items, key);
    for (std::string_view key : kPrologEpilogKeys) AppendIfPresent(split.otherPart, items, key);
    return split;
}

void ScanMissingSegments(const ScanContext& ctx, int minute, std::string_view record,
                         const ChannelSet& channels, std::vector<std::string>& lines,
                         long& expected, long& received, ScanFindings* found) {
    if (channels.Empty()) return;
    const ChannelSet scanned = channels & ctx.reportableChannels;
    if (scanned.Empty()) return;
    const ItemList items = ParseItems(record);

    if (ctx.checkPrologEpilog) {
        if (found) PlanPrologEpilog(scanned, found->scanned);
        AddPrologEpilogLines(items, ctx.mode, scanned, lines, found);
    }

    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        if (!scanned.Contains(n)) continue;
        if (InVisibleNight(n, minute, ctx.reportDay)) continue;
        const std::optional<SegmentRange> range = SegmentsToCheck(n, ctx);
        const ScannedChannel examined = Examined(n, range);
        if (found) found->scanned.push_back(examined);
        const std::string key = ChannelKey(n, ctx.mode);
        const std::string_view value = ValueOf(items, key);
        if (value.empty()) {
            const std::string label = ChannelLabel(n, ctx.reportDay);
            lines.push_back("   " + label +
                            (ChannelSegments(n) == 1 ? "   missing" : "   all missing"));
            if (found) {
                found->items.push_back(
                    ScanItem{ScanSubject::Channel, n, true,
                             SegmentNumbers(examined.firstSegment, examined.lastSegment)});
            }
            continue;
        }
        if (!range) continue;
        ScanItem item{ScanSubject::Channel, n, false, {}};
        const std::string text = WithItemNamed(key, [&] {
            return MissingSegments(value, range->first, range->count, expected, received,
                                   found ? &item.segments : nullptr);
        });
        if (!text.empty()) {
            lines.push_back("   " + ChannelLabel(n, ctx.reportDay) + ",  seg: " + text);
            if (found) found->items.push_back(std::move(item));
        }
    }
}

int FirstSegmentSent(ChannelNumber n, ScanMode mode) {
    if (mode != ScanMode::RapidScan) return 1;
    if (n == cal::kHrit.last) return cal::kRapidScanFirstHrvSegment;
    if (cal::kHrit.Contains(n)) return cal::kRapidScanFirstSegment;
    return 1;
}

std::vector<int> SegmentNumbers(int first, int last) {
    std::vector<int> numbers;
    for (int k = first; k <= last; ++k) numbers.push_back(k);
    return numbers;
}

void PlanScan(const ScanContext& ctx, int minute, const ChannelSet& channels,
              std::vector<ScannedChannel>& scanned) {
    const ChannelSet set = channels & ctx.reportableChannels;
    if (set.Empty()) return;
    if (ctx.checkPrologEpilog) PlanPrologEpilog(set, scanned);
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        if (set.Contains(n) && !InVisibleNight(n, minute, ctx.reportDay)) {
            scanned.push_back(Examined(n, SegmentsToCheck(n, ctx)));
        }
    }
}

void ScanLateSegments(Day reportDay, std::string_view record, ChannelNumber first,
                      ChannelNumber last, std::vector<std::string>& lines,
                      std::vector<ScanItem>* items) {
    first = std::max(first, kFirstChannel);
    last = std::min(last, kLastChannel);
    if (first > last || record.empty()) return;
    const ItemList parsed = ParseItems(record);
    for (ChannelNumber n = first; n <= last; ++n) {
        const std::string key = std::to_string(n);
        const std::string_view value = ValueOf(parsed, key);
        if (value.empty()) continue;
        const int count = ChannelSegments(n);
        if (count <= 0) continue;
        ScanItem item{ScanSubject::Channel, n, false, {}};
        const std::string text = WithItemNamed(key, [&] {
            return LateSegments(value, count, items ? &item.segments : nullptr);
        });
        if (text.empty()) continue;
        lines.push_back("   " + ChannelLabel(n, reportDay) + ",  seg: " + text);
        if (items) {
            item.all = text == "all";
            items->push_back(std::move(item));
        }
    }
}

std::string MissingSegmentText(std::string_view mask, int firstSegment, int segmentCount,
                               long& expected, long& received) {
    return MissingSegments(mask, firstSegment, segmentCount, expected, received, nullptr);
}

std::string LateSegmentText(std::string_view mask, int segmentCount) {
    return LateSegments(mask, segmentCount, nullptr);
}

bool PrologOrEpilogMissing(std::string_view value, const ChannelSet& scanned) {
    if (value.empty()) return true;
    std::uint32_t bit = 0;
    if (scanned.Contains(kFirstLritChannel)) {
        bit = 2;
    } else if (scanned.Contains(kFirstHritChannel)) {
        bit = 1;
    }
    const std::optional<std::uint32_t> mask = TryParseMask(value);
    if (!mask) return true;
    if (bit == 0) return false;
    return (*mask & bit) == 0;
}

}  // namespace gapscope
