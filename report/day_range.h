#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "report/day_report.h"
#include "report/report_file.h"
#include "startup/startup_state.h"

namespace gapscope {

// The days from..to (both included), the current minute and the grace period (see
// RunInputs).
struct DayRange {
    Day from{};
    Day to{};
    std::optional<MinuteTime> now;
    std::chrono::minutes grace = kDefaultGrace;
};

// What a range came to: the days reported, the days whose run failed, and the counts of the
// days reported, added up.
struct RangeOutcome {
    int days = 0;
    int failed = 0;
    DaySummary totals;
};

// Reports each day of the range in order, each as a single-day run would, from the logs
// already in memory; process.log, when the options ask for it, is read once for the range.
// A day whose run fails is handed on with its error and the range goes on. The result may be
// changed by `each` (BuildReportText empties lists in one case).
RangeOutcome RunDayRange(const StartupState& startup, const ReportOptions& options,
                         const DayRange& range,
                         const std::function<void(Day, DayReportResult&)>& each);

// What back-filling does about one day's report file.
enum class BackfillStep {
    Write,            // no report kept (IsKeptReport), or overwriting was asked for
    KeepExisting,     // the report is there and is left alone
    SkipCurrentDay,   // the day is not over (or still to come): no file yet
    BeforeLogsBegin,  // nothing of the day is on record: no file, and an old one stays
};
BackfillStep DecideBackfill(Day day, Day today, bool beforeLogsBegin, bool reportKept,
                            bool overwrite);

struct BackfillDay {
    Day day{};
    std::filesystem::path path;
    BackfillStep step = BackfillStep::Write;
    std::optional<std::string> reportError;  // the run failed: nothing was written
    std::optional<std::string> reportErrorPlace;
    std::optional<std::string> saveError;    // the file could not be written
    std::optional<std::string> saveWarning;  // written, but it may not survive a power cut
};

// Writes for each day of the range the file a single-day save writes (the same bytes, the
// banner's time being `banner.savedAt`), leaving kept reports alone unless `overwrite`,
// and never one for the current day (the day of `banner.savedAt`) or later, nor for a day
// before the logs begin. Each day's outcome goes to `each`; the counts are those of the days
// reported.
RangeOutcome BackfillReports(const StartupState& startup, const ReportOptions& options,
                             Day from, Day to, const BannerInfo& banner,
                             const std::filesystem::path& programDirectory, bool overwrite,
                             const std::function<void(const BackfillDay&)>& each);

}  // namespace gapscope
