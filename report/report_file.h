#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "history/time_keys.h"
#include "report/day_report.h"
#include "startup/startup_state.h"

namespace gapscope {

// Banner facts of a saved report.
struct BannerInfo {
    std::string versionText;
    std::string computerName;
    std::chrono::sys_seconds savedAt{};
};

// The saved report's lines. In neat mode with the Himawari report the three other lists
// are emptied first, in `lists` itself, as the window shows afterwards.
Lines BuildReportText(DayReport& lists, const StartupState& startup, const BannerInfo& banner);

// dataDirectory (or the program's directory when empty) + "yyyy-mm-dd" + suffix.
std::filesystem::path ReportFilePath(const StartupState& startup,
                                     const std::filesystem::path& programDirectory, Day day);

// How long a save waits for another program that holds the old report open (on Windows,
// a viewer that shares it for reading only): `attempts` tries, `pause` apart.
struct SaveRetry {
    int attempts = 10;
    std::chrono::milliseconds pause{500};
    // Sleeps by default; tests count the waits instead.
    std::function<void(std::chrono::milliseconds)> wait;
};

// Writes the lines, each followed by CR LF, as 8-bit text in the system's code page; via a
// temporary file in the same directory put over the old one in one step, so a failed save
// never damages an earlier report. Returns an error text on failure.
std::optional<std::string> WriteReportFile(const std::filesystem::path& path, const Lines& lines,
                                           const SaveRetry& retry = {});

}  // namespace gapscope
