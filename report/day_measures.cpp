#include "report/day_measures.h"

#include <cmath>

#include "report/repeat_cycle.h"

namespace gapscope {

namespace {

// Minutes from one cycle that can be missing to the next: every cycle of the service, or
// only those at :15 and :45 when the station's MSG data is LRIT from the FTP service.
int CycleStep(const Findings& findings) {
    if (findings.options.met8LritOnly) return 30;
    return RepeatCycleMinutes(findings.service);
}

int LongestRun(const std::vector<int>& minutes, int step) {
    int longest = 0;
    int run = 0;
    for (std::size_t i = 0; i < minutes.size(); ++i) {
        run = (i > 0 && minutes[i] == minutes[i - 1] + step) ? run + 1 : 1;
        if (run > longest) longest = run;
    }
    return longest;
}

// Segments of the channels and files expected in cycles that are due and not missing.
// Both lists run by rising minute; the not-yet-due minutes all follow the due ones.
int ExpectedSegments(const Findings& findings) {
    const int firstNotDue = findings.notYetDue.empty() ? 1440 : findings.notYetDue.front();
    auto missingCycle = findings.missingCycles.begin();
    int segments = 0;
    for (const ExpectedChannel& channel : findings.expected) {
        if (channel.minute >= firstNotDue) break;
        while (missingCycle != findings.missingCycles.end() && *missingCycle < channel.minute) {
            ++missingCycle;
        }
        const bool inMissingCycle =
            missingCycle != findings.missingCycles.end() && *missingCycle == channel.minute;
        if (!inMissingCycle && !CountsAsProduct(channel.kind)) segments += channel.SegmentCount();
    }
    return segments;
}

}  // namespace

double DayMeasures::MissingSegmentsPercent() const {
    if (expectedSegments == 0) return 0;
    return std::round(10000.0 * counts.segments / expectedSegments) / 100;
}

DayMeasures MeasureDay(const Findings& findings) {
    DayMeasures measures;
    measures.counts = Summarise(findings);
    measures.longestCycleRun = LongestRun(findings.missingCycles, CycleStep(findings));
    for (const FoundItem& item : findings.missing) {
        if (item.within != Within::MissingCycle && !CountsAsProduct(item.kind) && item.all) {
            ++measures.wholeChannels;
        }
    }
    measures.expectedSegments = ExpectedSegments(findings);
    return measures;
}

}  // namespace gapscope
