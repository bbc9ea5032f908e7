#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/replace_file.h"
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

// Writes the lines, each followed by CR LF, as 8-bit text in the system's code page, as
// WriteFile does: flushed to disk in a temporary file in the same directory, then put over
// the old one in one step, so a failed save or a power cut never damages an earlier report.
// While another program holds the old report so that it cannot be replaced (on Windows, a
// viewer sharing it for reading only) the replacing is tried again as `retry` says.
WriteOutcome WriteReportFile(const std::filesystem::path& path, const Lines& lines,
                             const RetryPolicy& retry = {});

// Whether `path` holds a report that back-filling keeps: a regular, non-empty file with a
// report's banner, not saved while its day was still going on. Never opens anything else
// nor follows a link in its place.
bool IsKeptReport(const std::filesystem::path& path);

// Whether the text of a saved report says it judged its day only up to a minute (it was
// saved on that day), so that later cycles were not yet due.
bool JudgedOnlyPartOfItsDay(std::string_view reportText);

}  // namespace gapscope
