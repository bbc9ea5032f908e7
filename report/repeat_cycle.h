#pragma once

#include "catalogue/calendar_rules.h"
#include "history/scan_mode.h"

namespace gapscope {

// Minutes from one MSG repeat cycle to the next.
constexpr int RepeatCycleMinutes(ScanMode mode) {
    return mode == ScanMode::RapidScan ? calendar::kRapidScanCycleMinutes
                                       : calendar::kFullDiskCycleMinutes;
}

}  // namespace gapscope
