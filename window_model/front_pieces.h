#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "report/day_report.h"

namespace gapscope {

// A window's report run, as every front makes it: under the front's busy cursor, with the
// process at idle priority so that the station's own reception goes first.
template <typename BusyCursor>
DayReportResult RunReportBusy(const StartupState& startup, const ReportOptions& options, Day day,
                              const RunInputs& run) {
    const BusyCursor busy;
    const IdlePriority idle;
    return BuildDayReportWith(startup, options, day, run);
}

// The window program's --help text: what every front says alike, with the front's own
// paragraphs after the first part (`afterUsage`) and after the switches (`afterSwitches`).
std::string WindowHelpText(std::string_view afterUsage, std::string_view afterSwitches);

}  // namespace gapscope
