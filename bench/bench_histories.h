#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "history/time_keys.h"

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

}  // namespace gapscope::bench
