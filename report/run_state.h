#pragma once

#include "catalogue/channel_set.h"
#include "history/time_keys.h"

namespace gapscope {

// The values a report run computes before it scans and the segment scan reads while the
// same run is in progress. Rebuilt by every run; nothing outlives it.
struct ReportRunState {
    Day reportDay{};
    bool partialScan = false;
    bool goes12Bypass = false;
    ChannelSet reportableChannels;
    bool csrInService = false;
    bool singleSegmentProducts = false;
    ChannelSet hourlyProducts;
    ChannelSet halfPastProducts;
    ChannelSet quarterToProducts;
    ChannelSet threeHourlyProducts;
    ChannelSet quarterHourlyProducts;
    ChannelSet rapidScanProducts;
    ChannelSet rapidScanAmvProducts;
};

}  // namespace gapscope
