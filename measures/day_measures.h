#pragma once

#include <string>
#include <vector>

#include "report/findings.h"

namespace gapscope {

// A channel or file of which nothing arrived in one or more due cycles, outside missing
// cycles, with its longest run: cycles in a row among those that expect it, in which nothing
// of it arrived (a missing cycle within the run counts in it, one at either end does not).
struct LostChannel {
    ItemKind kind = ItemKind::Hrit;
    ChannelNumber channel = 0;
    // "IR108" and "LRIT IR108" for the MSG channels, as the report's channel key names
    // them; the report's label otherwise ("HRIT prolog", a foreign satellite's channel).
    std::string name;
    int cycles = 0;  // the cycles in which nothing of it arrived, missing cycles aside
    int runFirst = 0;  // minutes of the day of the run's first and last cycle
    int runLast = 0;
    int runCycles = 0;
    // The run lasts up to the newest due cycle that expects the channel.
    bool runOngoing = false;
    friend bool operator==(const LostChannel&, const LostChannel&) = default;
};

// Missing cycles one after the other (the next cycle of the service each time), as minutes
// of the day of the first and the last.
struct CycleRun {
    int first = 0;
    int last = 0;
    int cycles = 0;
    friend bool operator==(const CycleRun&, const CycleRun&) = default;
};

// What a monitoring check or a metrics file judges a day by, taken from the findings of its
// report run. The day's counts are those of the range summary line; the rest adds what the
// counts leave open: how long the longest outage was, which channels were lost whole, and
// what the missing segments are out of.
struct DayMeasures {
    DaySummary counts;  // Summarise(findings)
    // The day's missing cycles in runs, by time; and the most cycles in one run.
    std::vector<CycleRun> cycleRuns;
    int longestCycleRun = 0;
    // The channels and files of `counts.channels` of which nothing arrived.
    int wholeChannels = 0;
    // The segments expected in the due cycles that were not missing: what the missing
    // segments of `counts.segments` are out of (a file counts as its one segment).
    int expectedSegments = 0;
    // The repeat cycles due (each one can be missing), and the segments expected in them,
    // missing cycles included: what the day's losses, whole cycles too, are out of.
    int dueCycles = 0;
    int dueSegments = 0;
    // The channels of `wholeChannels`, the longest run first; and that run's length.
    std::vector<LostChannel> lostChannels;
    int longestChannelRun = 0;

    // counts.segments as a per cent of expectedSegments, to two decimals; 0 when nothing
    // was expected.
    double MissingSegmentsPercent() const;
};

DayMeasures MeasureDay(const Findings& findings);

}  // namespace gapscope
