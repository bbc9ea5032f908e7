#pragma once

#include "history/scan_mode.h"

namespace gapscope {

// Minutes from one MSG repeat cycle to the next: the rapid scan repeats every 5 minutes,
// the prime and IODC services every 15.
constexpr int RepeatCycleMinutes(ScanMode mode) { return mode == ScanMode::RapidScan ? 5 : 15; }

}  // namespace gapscope
