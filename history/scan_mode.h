#pragma once

#include <array>
#include <cstddef>
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

// How texts name the service. Each form is fixed by what already reads it: `Key` in JSON
// documents and metrics labels, `Title` in picture titles, `Message` in the simulator's
// messages.
enum class ServiceText { Key, Title, Message };
struct ServiceNames {
    ScanMode mode;
    std::array<std::string_view, 3> names;  // by ServiceText
};
inline constexpr std::array<ServiceNames, 3> kServiceNames{{
    {ScanMode::Prime, {"prime", "prime", "prime"}},
    {ScanMode::RapidScan, {"rapid", "rapid scan", "rapid-scan"}},
    {ScanMode::Iodc, {"iodc", "IODC", "IODC"}},
}};

constexpr std::string_view ServiceName(ScanMode mode, ServiceText form) {
    for (const ServiceNames& row : kServiceNames) {
        if (row.mode == mode) return row.names[static_cast<std::size_t>(form)];
    }
    return {};
}

inline std::string ChannelKey(ChannelNumber n, ScanMode mode) {
    return std::string(ChannelKeyPrefix(mode)) + std::to_string(n);
}

}  // namespace gapscope
