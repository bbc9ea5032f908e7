#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/lines.h"
#include "history/time_keys.h"
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

// A report run. When a bad segment mask stops it, `error` holds the operator's message
// and the lists hold what they held at that moment.
struct DayReportResult {
    DayReport lists;
    std::optional<std::string> error;
    // Where the bad mask is, in words: the log, the minute key, the day and time, the item.
    std::optional<std::string> errorPlace;
};

DayReportResult BuildDayReport(const StartupState& startup, const ReportOptions& options, Day day);

}  // namespace gapscope
