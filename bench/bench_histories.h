#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "history/time_keys.h"
#include "startup/startup_state.h"

namespace gapscope::bench {

// One simulated station history made by scripts/bench.sh: a data directory and the day in
// the middle of it that the report benchmarks run on.
struct BenchHistory {
    std::string name;
    std::filesystem::path directory;
    Day reportDay{};
};

// The histories under $GAPSCOPE_BENCH_HISTORIES, each a folder with the logs and a file
// report-day.txt; empty when the variable is not set.
std::vector<BenchHistory> FindBenchHistories();

struct LoadedBenchHistory {
    StartupState state;
    Day reportDay{};
};

// The history $GAPSCOPE_BENCH_HISTORIES/NAME, loaded as gapscope-report loads it. Ends the
// program with a message when the variable is not set or the history is missing or unreadable.
LoadedBenchHistory LoadBenchHistory(const std::string& name);

}  // namespace gapscope::bench
