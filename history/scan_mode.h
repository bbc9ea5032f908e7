#pragma once

#include <array>
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
    std::string_view key;
    std::string_view title;
    std::string_view message;
};
inline constexpr std::array<ServiceNames, 3> kServiceNames{{
    {ScanMode::Prime, "prime", "prime", "prime"},
    {ScanMode::RapidScan, "rapid", "rapid scan", "rapid-scan"},
    {ScanMode::Iodc, "iodc", "IODC", "IODC"},
}};

constexpr std::string_view ServiceName(ScanMode mode, ServiceText form) {
    for (const ServiceNames& row : kServiceNames) {
        if (row.mode != mode) continue;
        switch (form) {
            case ServiceText::Key:
                return row.key;
            case ServiceText::Title:
                return row.title;
            case ServiceText::Message:
                return row.message;
        }
    }
    return {};
}

inline std::string ChannelKey(ChannelNumber n, ScanMode mode) {
    return std::string(ChannelKeyPrefix(mode)) + std::to_string(n);
}

}  // namespace gapscope
