#include "measures/range_summary.h"

#include <cstdio>

namespace gapscope {

namespace {

// The counts under their column titles, each right-aligned to its title.
std::string Counts(const char* first, const DaySummary& s) {
    char line[160];
    std::snprintf(line, sizeof line, "%-10s  %14d  %8d  %8d  %13d  %8d  %13d", first,
                  s.missingCycles, s.channels, s.segments, s.lateSegments, s.products,
                  s.sequenceNumbers);
    return line;
}

}  // namespace

std::string RangeSummaryHeading() {
    return "day         missing cycles  channels  segments  late segments  products  sequence nos.";
}

std::string RangeSummaryLine(Day day, const DaySummary& summary, bool dayNotOver) {
    std::string line = Counts(IsoDate(day).c_str(), summary);
    if (dayNotOver) line += "  so far";
    return line;
}

std::string RangeBeforeLogsBeginLine(Day day, const DaySummary& summary) {
    char line[160];
    std::snprintf(line, sizeof line, "%-10s  %14s  %8s  %8s  %13d  %8s  %13d", IsoDate(day).c_str(),
                  "-", "-", "-", summary.lateSegments, "-", summary.sequenceNumbers);
    return std::string(line) + "  before the logs begin";
}

std::string RangeDayLine(const Findings& findings) {
    if (findings.judged.WhollyBeforeLogsBegin()) {
        return RangeBeforeLogsBeginLine(findings.day, Summarise(findings));
    }
    return RangeSummaryLine(findings.day, Summarise(findings), findings.judged.current);
}

std::string RangeErrorLine(Day day, const std::string& error, const std::string& place) {
    std::string line = IsoDate(day) + "  not reported: " + error;
    if (!place.empty()) line += " (" + place + ")";
    return line;
}

std::string RangeTotalsLine(const DaySummary& totals, int failedDays) {
    std::string line = Counts("total", totals);
    if (failedDays == 1) line += "  (1 day not reported)";
    if (failedDays > 1) line += "  (" + std::to_string(failedDays) + " days not reported)";
    return line;
}

}  // namespace gapscope
