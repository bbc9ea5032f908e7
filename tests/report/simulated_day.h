// Stations written by the simulator into memory and loaded as a data directory would be,
// for the tests that report on many station-days.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "history/day_queries.h"
#include "history/log_text.h"
#include "startup/startup_state.h"
#include "tools/simulator/simulator.h"

namespace gapscope::test {

struct MemoryStation {
    StartupState state;
    ProcessLogDays processLog;
    sim::SimulationSummary summary;
};

inline MemoryStation SimulateInMemory(const sim::SimulationConfig& config,
                                      const std::vector<std::string>& switches = {},
                                      const std::string& extraSegLines = "") {
    sim::MemorySink sink;
    MemoryStation station;
    station.summary = sim::Simulate(config, sink);
    station.state.SegHistory =
        HistoryLog::FromText(extraSegLines + sink.Text(sim::LogFile::Seg));
    station.state.LateSegHistory = HistoryLog::FromText(sink.Text(sim::LogFile::LateSeg));
    station.state.FileHistory = HistoryLog::FromText(sink.Text(sim::LogFile::File));
    station.state.switches = ParseSwitches(switches);
    DeriveStartupFlags(station.state);
    std::vector<std::string_view> lines;
    ForEachLine(sink.Text(sim::LogFile::Process), [&](std::string_view line) { lines.push_back(line); });
    station.processLog = ProcessLogDays::FromLines(lines);
    return station;
}

}  // namespace gapscope::test
