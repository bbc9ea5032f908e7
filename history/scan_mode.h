#pragma once

#include <string>
#include <string_view>

#include "catalogue/channel_set.h"

namespace gapscope {

// The service a station receives, recognised from the keys its segment history holds.
enum class ScanMode { Prime = 0, RapidScan = 1, Iodc = 2 };

// What the service puts before a channel number in segment-history keys: "9", "R9", "I9".
constexpr std::string_view ChannelKeyPrefix(ScanMode mode) {
    switch (mode) {
        case ScanMode::RapidScan:
            return "R";
        case ScanMode::Iodc:
            return "I";
        case ScanMode::Prime:
            break;
    }
    return "";
}

inline std::string ChannelKey(ChannelNumber n, ScanMode mode) {
    return std::string(ChannelKeyPrefix(mode)) + std::to_string(n);
}

}  // namespace gapscope
