#pragma once

#include <optional>
#include <string>

namespace gapscope {

// What the window keeps per user beside the option switches, each under a name of its own:
// whether new losses are announced, and where the window stood and how large it was.
inline constexpr const char* kAnnounceLossesValueName = "AnnounceNewLosses";
inline constexpr const char* kWindowLeftValueName = "WindowLeft";
inline constexpr const char* kWindowTopValueName = "WindowTop";
inline constexpr const char* kWindowWidthValueName = "WindowWidth";
inline constexpr const char* kWindowHeightValueName = "WindowHeight";

// On unless switched off: a missing or unreadable value leaves it on.
bool ReadAnnounceLosses(const std::string& programBaseName);
// Stores the switch at once; false when the store could not be written.
bool StoreAnnounceLosses(const std::string& programBaseName, bool on);

// The window's client area, in the screen's coordinates, as 32-bit integers.
struct StoredPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const StoredPlacement&, const StoredPlacement&) = default;
};
// nullopt unless all four values are stored and read as 32-bit integers.
std::optional<StoredPlacement> ReadWindowPlacement(const std::string& programBaseName);
bool StoreWindowPlacement(const std::string& programBaseName, const StoredPlacement& placement);

}  // namespace gapscope
