#pragma once

#include "report/findings.h"

namespace gapscope {

// What a monitoring check or a metrics file judges a day by, taken from the findings of its
// report run. The day's counts are those of the range summary line; the rest adds what the
// counts leave open: how long the longest outage was, which channels were lost whole, and
// what the missing segments are out of.
struct DayMeasures {
    DaySummary counts;  // Summarise(findings)
    // The most missing cycles one after the other (the next cycle of the service each time).
    int longestCycleRun = 0;
    // The channels and files of `counts.channels` of which nothing arrived.
    int wholeChannels = 0;
    // The segments expected in the due cycles that were not missing: what the missing
    // segments of `counts.segments` are out of (a file counts as its one segment).
    int expectedSegments = 0;

    // counts.segments as a per cent of expectedSegments, to two decimals; 0 when nothing
    // was expected.
    double MissingSegmentsPercent() const;
};

DayMeasures MeasureDay(const Findings& findings);

}  // namespace gapscope
