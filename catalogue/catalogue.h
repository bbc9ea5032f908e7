#pragma once

#include <string_view>

#include "catalogue/channel_set.h"

namespace gapscope {

// One row of the channel catalogue. Only `segments` and `shortName` reach the report;
// the other two columns document what the dissemination calls the channel.
struct ChannelInfo {
    int segments;
    std::string_view displayName;
    std::string_view fileNameCode;
    std::string_view shortName;
};

// The row of channel n. n must be 1..146.
const ChannelInfo& ChannelInfoOf(ChannelNumber n);
std::string_view ChannelShortName(ChannelNumber n);
int ChannelSegments(ChannelNumber n);

// DCP and MDD message-file kinds; their FileHistory.log keys are "yyyymmdd" + suffix.
using SequenceKind = int;
inline constexpr SequenceKind kSequenceKindCount = 10;
// Suffix of kind k (0..9), e.g. "-dcp".
std::string_view SequenceSuffix(SequenceKind k);

}  // namespace gapscope
