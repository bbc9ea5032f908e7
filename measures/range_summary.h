#pragma once

#include <string>

#include "history/time_keys.h"
#include "report/findings.h"

namespace gapscope {

// The text of a range report: a heading, one line per day, then the totals.
//
//   day         missing cycles  channels  segments  late segments  products  sequence nos.
//   2024-06-01               1         3        12              2         1              4
//   total                    1         3        12              2         1              4

std::string RangeSummaryHeading();
// `dayNotOver`: the current day, counted up to the current minute ("so far" follows).
std::string RangeSummaryLine(Day day, const DaySummary& summary, bool dayNotOver = false);
// A day wholly before the logs begin: "-" for what is missing, which nothing judged; the
// late segments and sequence numbers, which have logs of their own; "  before the logs begin".
std::string RangeBeforeLogsBeginLine(Day day, const DaySummary& summary);
// The line of a day reported: its counts, or that it is before the logs begin.
std::string RangeDayLine(const Findings& findings);
// A day whose run failed: its error (and where it is, when known) in place of the counts.
std::string RangeErrorLine(Day day, const std::string& error, const std::string& place = "");
// The counts of the days reported, added up; the days that failed are named after them.
std::string RangeTotalsLine(const DaySummary& totals, int failedDays = 0);

}  // namespace gapscope
