#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "history/scan_mode.h"
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

// The last day of every simulated bench history.
inline constexpr Day kBenchLastDay{std::chrono::year{2025} / std::chrono::June / 30};

// A station of `days` days up to kBenchLastDay, as scripts/bench.sh makes it (scenario
// typical, seed 7) in $GAPSCOPE_BENCH_HISTORIES/NAME, or else in the system's temporary
// folder; simulated there when missing, then loaded as gapscope-report loads it.
StartupState SimulatedBenchStation(const std::string& name, ScanMode service, int days);

}  // namespace gapscope::bench
