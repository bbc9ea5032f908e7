// Stations written by the simulator into memory and loaded as a data directory would be,
// for the tests that report on many station-days.
#pragma once

#include <optional>
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

// The lines of `text` but the minute records before `first`, as the segment history of a
// station installed at that minute holds them.
inline std::string FromMinute(const std::string& text, MinuteTime first) {
    const Day day = std::chrono::floor<std::chrono::days>(first);
    const std::string from = MinuteKey(day, static_cast<int>((first - MinuteTime{day}).count()));
    std::string kept;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        const bool minuteRecord = end - start > 13 && text[start + 12] == '=';
        if (!minuteRecord || text.compare(start, 12, from) >= 0)
            kept.append(text, start, end - start);
        start = end;
    }
    return kept;
}

// `logsBegin`: the segment history holds no record before this minute.
inline MemoryStation SimulateInMemory(const sim::SimulationConfig& config,
                                      const std::vector<std::string>& switches = {},
                                      const std::string& extraSegLines = "",
                                      std::optional<MinuteTime> logsBegin = std::nullopt) {
    sim::MemorySink sink;
    MemoryStation station;
    station.summary = sim::Simulate(config, sink);
    std::string seg = sink.Text(sim::LogFile::Seg);
    if (logsBegin) seg = FromMinute(seg, *logsBegin);
    station.state.SegHistory = HistoryLog::FromText(extraSegLines + seg);
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
