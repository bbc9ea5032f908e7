#pragma once

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

// Appends the prolog/epilog lines and the item lines of channels ∩ reportableChannels,
// in rising channel order, and adds to the counters. Throws MaskError on a bad mask.
void ScanMissingSegments(const ScanContext& ctx, int minute, std::string_view record,
                         const ChannelSet& channels, std::vector<std::string>& lines,
                         long& expected, long& received);

// Appends one late-segments line per channel first..last (plain keys) with late segments.
void ScanLateSegments(Day reportDay, std::string_view record, ChannelNumber first,
                      ChannelNumber last, std::vector<std::string>& lines);

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
