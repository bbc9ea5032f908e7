#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "history/time_keys.h"
#include "history/scan_mode.h"
#include "tools/simulator/dissemination.h"
#include "tools/simulator/faults.h"
#include "tools/simulator/log_files.h"

namespace gapscope::sim {

using Instant = std::chrono::sys_time<std::chrono::minutes>;

// The longest history one run writes (ten years).
inline constexpr int kMaxDays = 3660;

struct SimulationConfig {
    ScanMode service = ScanMode::Prime;
    Day first{};
    Day last{};
    // The history ends at this instant: what would arrive later is not yet in the logs.
    std::optional<Instant> until;
    FaultRates rates;
    std::uint64_t seed = 1;
    std::vector<Injection> injections;
    Feeds feeds;
    bool recordFaults = true;  // keep every fault in the summary, not only the counts
};

struct SimulationSummary {
    int days = 0;
    std::array<std::size_t, kLogFileCount> lines{};
    std::array<std::size_t, kFaultKindCount> faultCount{};
    std::vector<AppliedFault> faults;  // day by day, in the order they were written
};

// Everything wrong with the configuration, one text each (empty when it can be simulated):
// the day range, and each injection against what is disseminated at its time.
std::vector<std::string> CheckConfig(const SimulationConfig& config);

// Writes the station's logs for the configuration; each day's faults depend only on the
// seed, the day and the configuration, never on the time the program runs.
SimulationSummary Simulate(const SimulationConfig& config, LogSink& sink);

// Checks, then writes the logs into `directory` (see DirectorySink).
struct DirectoryResult {
    std::optional<SimulationSummary> summary;
    std::vector<std::string> errors;
};
DirectoryResult SimulateToDirectory(const SimulationConfig& config,
                                    const std::filesystem::path& directory, bool replace);

// A segment mask as the station writes it: upper-case hexadecimal, two digits per started
// byte of the channel's segments ("F3", "0C", "FF8000").
std::string MaskText(std::uint32_t mask, int segmentCount);

}  // namespace gapscope::sim
