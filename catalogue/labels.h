#pragma once

#include <chrono>
#include <string>

#include "catalogue/channel_set.h"

namespace gapscope {

// The name a report line gives channel n on reportDay: the short name in capitals,
// with the satellite that served on that day (GOES-W/15, GOES-12/13, MTSAT-1R/2, FY-2G/E).
std::string ChannelLabel(ChannelNumber n, std::chrono::sys_days reportDay);

}  // namespace gapscope
