#pragma once

// The day's counts as Prometheus metrics in the text exposition format, for the node
// exporter's text-file collector or any scraper of such files.

#include <chrono>
#include <optional>
#include <string>

#include "history/day_queries.h"
#include "measures/day_measures.h"

namespace gapscope {

struct MetricsInput {
    std::string station;  // the `station` label
    const Findings& findings;
    const DayMeasures& measures;
    std::optional<MinuteTime> newestRecord;  // of the segment history, not after the run
    std::string version;                     // the `version` label of gapscope_info
    std::chrono::sys_seconds written{};      // the time of the run
};

// Gauges named gapscope_*, labelled by station and gapscope_service (a name no scrape gives
// a label of its own), the message kind of the sequence numbers and the lost channels; the
// day is a value of its own, never a label.
std::string PrometheusMetrics(const MetricsInput& input);

}  // namespace gapscope
