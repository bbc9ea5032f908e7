#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/channel_set.h"
#include "history/scan_mode.h"
#include "history/time_keys.h"

namespace gapscope {

// A minute record split into what belongs to the MSG imager (channels 1..17) and what
// belongs to everything else (18..146); the prolog/epilog entries go into both.
struct SplitRecord {
    std::string msgPart;
    std::string otherPart;
};
SplitRecord SplitMinuteRecord(std::string_view record, ScanMode mode);

// What the segment scan reads besides the record: the service, the rules of the report day
// and the products counted segment by segment at the minute scanned. The report run fills it.
struct ScanContext {
    Day reportDay{};
    ScanMode mode = ScanMode::Prime;
    // The "Prolog && epilog files" box is ticked and the service's prolog key was seen.
    bool checkPrologEpilog = true;
    ChannelSet reportableChannels;
    bool goes12Bypass = false;
    bool csrInService = false;
    bool singleSegmentProducts = false;
    // Products whose segments are counted at this minute; other products are checked for
    // presence only.
    ChannelSet countedProducts;
};

// What a scan examines or finds: a channel, or the prolog or epilog file of the HRIT
// (channel 1) or LRIT (channel 13) service.
enum class ScanSubject { Channel, Prolog, Epilog };

// A channel or file the scan examines at a minute, with the segments first..last it checks.
// A channel checked for presence only, and a file, count as the one segment 1.
struct ScannedChannel {
    ScanSubject subject = ScanSubject::Channel;
    ChannelNumber channel = 0;
    int firstSegment = 1;
    int lastSegment = 1;
    friend bool operator==(const ScannedChannel&, const ScannedChannel&) = default;
};

// One item line of a scan, as a value: a channel or file that did not arrive in full (or
// whose segments arrived late). `all`: nothing of it arrived (the "missing" and "all
// missing" lines), or, for late segments, every segment was late (the list "all").
// `segments` always names the segments concerned, all of them when `all`.
struct ScanItem {
    ScanSubject subject = ScanSubject::Channel;
    ChannelNumber channel = 0;
    bool all = false;
    std::vector<int> segments;
    friend bool operator==(const ScanItem&, const ScanItem&) = default;
};

// What a scan hands out beside its lines; appended to, never cleared.
struct ScanFindings {
    std::vector<ScanItem> items;         // one per line, in the lines' order
    std::vector<ScannedChannel> scanned;  // everything examined, in the scan's order
};

// Appends the prolog/epilog lines and the item lines of channels ∩ reportableChannels,
// in rising channel order, and adds to the counters. Throws MaskError on a bad mask.
// With `found`, the same decisions go there as values too.
void ScanMissingSegments(const ScanContext& ctx, int minute, std::string_view record,
                         const ChannelSet& channels, std::vector<std::string>& lines,
                         long& expected, long& received, ScanFindings* found = nullptr);

// What ScanMissingSegments would examine at the minute, whatever the record holds: the
// `scanned` list it would hand out.
void PlanScan(const ScanContext& ctx, int minute, const ChannelSet& channels,
              std::vector<ScannedChannel>& scanned);

// The first segment of channel n the service sends: rapid scan covers only the northern
// part of the disc.
int FirstSegmentSent(ChannelNumber n, ScanMode mode);

// The segment numbers first..last, both included; none when last < first.
std::vector<int> SegmentNumbers(int first, int last);

// Appends one late-segments line per channel first..last (plain keys) with late segments,
// and with `items` the same as values.
void ScanLateSegments(Day reportDay, std::string_view record, ChannelNumber first,
                      ChannelNumber last, std::vector<std::string>& lines,
                      std::vector<ScanItem>* items = nullptr);

// Segment list ("3 4 ") of the segments first..count missing from the mask; adds count
// to expected and the segments not listed to received.
std::string MissingSegmentText(std::string_view mask, int firstSegment, int segmentCount,
                               long& expected, long& received);
// Late list: "all" when every segment was late, else the late segments ("3 4 ").
std::string LateSegmentText(std::string_view mask, int segmentCount);
// Whether the prolog or epilog file of the set's service is missing; a bad mask counts
// as missing.
bool PrologOrEpilogMissing(std::string_view value, const ChannelSet& scanned);

}  // namespace gapscope
