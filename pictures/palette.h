#pragma once

#include <cstdint>

#include "pictures/heatmap_model.h"
#include "pictures/timeline_model.h"

namespace gapscope::pictures {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Colours from the Okabe-Ito palette, which readers with any common colour-vision
// deficiency tell apart, with lighter tints of it. Each state also differs in lightness or
// in pattern, so that a print in grey keeps them apart: received light, incomplete
// darkening with the share missing, missing darkest; late a dark band across a received
// cell; not expected hatched; not yet due striped; before the logs begin cross-hatched.
namespace colour {
inline constexpr Rgb kBackground{0xFF, 0xFF, 0xFF};
inline constexpr Rgb kInk{0x20, 0x20, 0x20};
inline constexpr Rgb kFaintInk{0x60, 0x60, 0x60};
inline constexpr Rgb kReceived{0xBF, 0xE7, 0xDC};        // bluish green, a quarter strength
inline constexpr Rgb kIncompleteLeast{0xF2, 0xB9, 0x50};  // orange, light
inline constexpr Rgb kIncompleteMost{0xC9, 0x82, 0x00};   // orange, dark
inline constexpr Rgb kMissing{0xD5, 0x5E, 0x00};         // vermillion
inline constexpr Rgb kLate{0x00, 0x72, 0xB2};            // blue
inline constexpr Rgb kHatch{0x9A, 0x9A, 0x9A};           // not expected, nothing expected
inline constexpr Rgb kStripe{0xB4, 0xB4, 0xB4};          // not yet due
inline constexpr Rgb kBeforeLogsHatch{0x70, 0x70, 0x70};
inline constexpr Rgb kFailedHatch{0xD5, 0x5E, 0x00};
inline constexpr Rgb kNoneMissing{0xDD, 0xF0, 0xE9};     // heat map: nothing missing
}  // namespace colour

// The fill of an incomplete cell: the larger the share missing, the darker.
Rgb IncompleteColour(double missingShare);

// The solid colour of a timeline cell (hatched and striped cells: their ground).
Rgb CellColour(const TimelineCell& cell);

// Heat map: nothing missing is pale green; any share above it runs from yellow through
// orange and vermillion to dark brown, by the square root of the share so that a few
// segments in a cycle already show.
Rgb ShareColour(double missingShare);

}  // namespace gapscope::pictures
