#include "pictures/segment_counts.h"

#include <algorithm>

namespace gapscope::pictures {

MissingSegmentCounter::MissingSegmentCounter(const Findings& findings)
    : expected_(findings.expected) {}

int MissingSegmentCounter::Expected(const FoundItem& item) const {
    // The expected channels come by rising minute.
    const auto first = std::lower_bound(
        expected_.begin(), expected_.end(), item.minute,
        [](const ExpectedChannel& c, int minute) { return c.minute < minute; });
    int segments = 0;
    for (auto it = first; it != expected_.end() && it->minute == item.minute; ++it) {
        if (it->kind == item.kind && it->channel == item.channel) segments += it->SegmentCount();
    }
    return segments;
}

int MissingSegmentCounter::Missing(const FoundItem& item) const {
    const int expected = Expected(item);
    if (item.all) return expected;
    return std::min(expected, static_cast<int>(item.segments.size()));
}

int FirstMinuteNotYetDue(const Findings& findings) {
    if (findings.notYetDue.empty()) return kMinutesPerDay;
    return *std::min_element(findings.notYetDue.begin(), findings.notYetDue.end());
}

}  // namespace gapscope::pictures
