// Stations simulated into memory with faults put where a test wants them, and their report
// runs, for the tests of the pictures.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "history/time_keys.h"
#include "pictures/heatmap_model.h"
#include "report/day_range.h"
#include "report/day_report.h"
#include "tests/report/simulated_day.h"
#include "tests/support/test_support.h"
#include "tests/tools/sim_test_support.h"
#include "tools/simulator/simulator.h"

namespace gapscope::test {

// What a test station looks like besides its service and days.
struct StationShape {
    // Faults as gapscope-simulate --inject takes them ("cycle@2024-03-05T03:00").
    std::vector<std::string> injections;
    std::vector<std::string> switches;
    // Lines put before the segment history's own; the first line of a key is the one read.
    std::string segLinesFirst;
    // A day of which no log holds anything, as if the station had been switched off.
    std::optional<Day> withoutHistory;
    // The minute the logs begin: every record of the segment history before it is left out,
    // as on a station installed then.
    std::optional<MinuteTime> firstRecord;
};

inline StationShape Faults(std::vector<std::string> injections) {
    StationShape shape;
    shape.injections = std::move(injections);
    return shape;
}

// The lines of `text` but those whose key starts with the day's "yyyymmdd".
inline std::string WithoutDay(const std::string& text, Day day) {
    const std::string prefix = MinuteKey(day, 0).substr(0, 8);
    std::string kept;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        if (text.compare(start, prefix.size(), prefix) != 0) kept.append(text, start, end - start);
        start = end;
    }
    return kept;
}

// A fault-free station of `service` from `first` to `last`, shaped as asked.
inline MemoryStation Station(ScanMode service, Day first, Day last, const StationShape& shape = {}) {
    sim::SimulationConfig config = sim::testing::CleanConfig(service, first, last);
    for (const std::string& text : shape.injections)
        config.injections.push_back(sim::testing::Inject(text));
    sim::MemorySink sink;
    MemoryStation station;
    station.summary = sim::Simulate(config, sink);
    const auto text = [&](sim::LogFile file) {
        return shape.withoutHistory ? WithoutDay(sink.Text(file), *shape.withoutHistory) : sink.Text(file);
    };
    std::string seg = text(sim::LogFile::Seg);
    if (shape.firstRecord) seg = FromMinute(seg, *shape.firstRecord);
    station.state.SegHistory = HistoryLog::FromText(shape.segLinesFirst + seg);
    station.state.LateSegHistory = HistoryLog::FromText(text(sim::LogFile::LateSeg));
    station.state.FileHistory = HistoryLog::FromText(text(sim::LogFile::File));
    station.state.switches = ParseSwitches(shape.switches);
    DeriveStartupFlags(station.state);
    return station;
}

// A report run on the station as gapscope-report makes it, `now` the current minute.
inline DayReportResult Report(const MemoryStation& station, Day day, const ReportOptions& options = {},
                              std::optional<MinuteTime> now = std::nullopt) {
    RunInputs inputs;
    inputs.now = now;
    return BuildDayReportWith(station.state, options, day, inputs);
}

// The range as gapscope-report --from --to --picture gathers it.
inline pictures::HeatMap HeatMapOf(const MemoryStation& station, Day from, Day to,
                                   const ReportOptions& options = {},
                                   std::optional<MinuteTime> now = std::nullopt) {
    pictures::HeatMap map;
    RunDayRange(station.state, options, DayRange{from, to, now}, [&](Day day, DayReportResult& r) {
        pictures::HeatMapRow row = pictures::BuildHeatMapRow(r.findings, pictures::StatusOf(r));
        row.day = day;
        pictures::AddHeatMapRow(map, std::move(row), station.state.Mode);
    });
    return map;
}

// The day the timeline tests look at: a cycle missing at 03:00, channel 9 without segments
// 3 and 4 at 08:00, and segment 5 of channel 9 late at 23:30.
inline constexpr Day kFaultDay = Date(2024, 3, 5);
inline const std::vector<std::string> kFaults = {
    "cycle@2024-03-05T03:00", "segments@2024-03-05T08:00:9/3,4", "late@2024-03-05T23:30:9/5"};
inline constexpr int kCycleColumn = 12;       // 03:00
inline constexpr int kIncompleteColumn = 32;  // 08:00
inline constexpr int kLateColumn = 94;        // 23:30

}  // namespace gapscope::test
