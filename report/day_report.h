#pragma once

#include <optional>
#include <string>
#include <vector>

#include "history/day_queries.h"
#include "history/time_keys.h"
#include "report/findings.h"
#include "report/lines.h"
#include "report/report_options.h"
#include "startup/startup_state.h"

namespace gapscope {

// The four report lists of one day, as the window shows them and the file holds them.
struct DayReport {
    Lines missingSegs;     // ListBoxMissingSegs
    Lines missingProduct;  // ListBoxMissingProduct
    Lines lateSegs;        // ListBoxLateSegs
    Lines missingSlots;    // ListBoxMissingSlots
    friend bool operator==(const DayReport&, const DayReport&) = default;
};

// Where a bad segment mask stopped a report run: the log, and the minute of the day of the
// record that holds it.
struct RunStop {
    std::string log;
    int minute = 0;
};

// A report run. When a bad segment mask stops it, `error` holds the operator's message
// and the lists and findings hold what they held at that moment.
struct DayReportResult {
    DayReport lists;
    Findings findings;
    std::optional<std::string> error;
    // Where the bad mask is, in words: the log, the minute key, the day and time, the item.
    std::optional<std::string> errorPlace;
    // The same place as values.
    std::optional<RunStop> stop;
};

// What a report run may take besides the logs, the options and the day.
struct RunInputs {
    // The current minute: on its day the cycles that start after it less `grace` are not
    // yet due, and no list names them (JudgeMinutes). None: every day is over.
    std::optional<MinuteTime> now;
    // process.log as read once for many runs; null: the run reads it when it needs it.
    const ProcessLogDays* processLog = nullptr;
    std::chrono::minutes grace = kDefaultGrace;
};

// Whether a run with these options reads process.log: only its partial-scan check does, with
// "Disable MSG1 MPEF" and "Include MPEF" both set.
bool NeedsProcessLog(const ReportOptions& options);
// process.log from the data directory when a run with these options reads it, else nullopt.
std::optional<ProcessLogDays> ProcessLogFor(const StartupState& startup,
                                            const ReportOptions& options);

DayReportResult BuildDayReport(const StartupState& startup, const ReportOptions& options, Day day);
// The run of a day; the minutes it judges are JudgeMinutes of the day, the state's first
// record and the inputs' current minute and grace.
DayReportResult BuildDayReportWith(const StartupState& startup, const ReportOptions& options,
                                   Day day, const RunInputs& inputs);

// The four lists of a day with their headings and, where the findings would stand, `line`.
DayReport ListsSaying(const StartupState& startup, const ReportOptions& options, Day day,
                      const std::string& line);
// The four lists of a day when the data could not be read: "  (nothing to judge: REASON)"
// where the findings would stand, so that nothing reads as missing.
DayReport NothingToJudge(const StartupState& startup, const ReportOptions& options, Day day,
                         const std::string& reason);

}  // namespace gapscope
