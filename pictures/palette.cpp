#include "pictures/palette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace gapscope::pictures {
namespace {

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
    const auto channel = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + (y - x) * t));
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

struct Stop {
    double at;
    Rgb colour;
};

// Yellow, orange and vermillion of the Okabe-Ito palette, then a dark brown.
constexpr std::array<Stop, 4> kShareRamp{{
    {0.0, {0xF0, 0xE4, 0x42}},
    {0.3, {0xE6, 0x9F, 0x00}},
    {0.6, {0xD5, 0x5E, 0x00}},
    {1.0, {0x4D, 0x1A, 0x00}},
}};

}  // namespace

Rgb IncompleteColour(double missingShare) {
    return Mix(colour::kIncompleteLeast, colour::kIncompleteMost, std::clamp(missingShare, 0.0, 1.0));
}

Rgb CellColour(const TimelineCell& cell) {
    switch (cell.state) {
        case CellState::Received:
        case CellState::Late:
            return colour::kReceived;
        case CellState::Incomplete:
            return IncompleteColour(cell.missingShare);
        case CellState::Missing:
            return colour::kMissing;
        case CellState::NotExpected:
        case CellState::NotYetDue:
        case CellState::BeforeLogsBegin:
            break;
    }
    return colour::kBackground;
}

Rgb ShareColour(double missingShare) {
    if (missingShare <= 0.0) return colour::kNoneMissing;
    const double t = std::sqrt(std::min(missingShare, 1.0));
    for (std::size_t i = 1; i < kShareRamp.size(); ++i) {
        if (t <= kShareRamp[i].at) {
            const Stop& a = kShareRamp[i - 1];
            const Stop& b = kShareRamp[i];
            return Mix(a.colour, b.colour, (t - a.at) / (b.at - a.at));
        }
    }
    return kShareRamp.back().colour;
}

}  // namespace gapscope::pictures
