// Report runs with their findings: one day on a one-day and on a two-year history, and a
// year of days over the two-year history as one range. The histories are simulated in
// memory when the benchmark starts (the same seed every time).
#include <benchmark/benchmark.h>

#include <chrono>

#include "report/day_report.h"
#include "startup/startup_state.h"
#include "tools/simulator/simulator.h"

namespace gapscope::bench {
namespace {

using std::chrono::days;

constexpr Day kLastDay{std::chrono::year{2025} / std::chrono::June / 30};

StartupState SimulatedStation(ScanMode service, int dayCount) {
    sim::SimulationConfig config;
    config.service = service;
    config.last = kLastDay;
    config.first = kLastDay - days{dayCount - 1};
    config.rates = sim::FindScenario("typical")->rates;
    config.seed = 7;
    config.recordFaults = false;
    sim::MemorySink sink;
    sim::Simulate(config, sink);
    StartupState state;
    state.SegHistory = HistoryLog::FromText(sink.Text(sim::LogFile::Seg));
    state.LateSegHistory = HistoryLog::FromText(sink.Text(sim::LogFile::LateSeg));
    state.FileHistory = HistoryLog::FromText(sink.Text(sim::LogFile::File));
    DeriveStartupFlags(state);
    return state;
}

const StartupState& Station(ScanMode service, int dayCount) {
    static const StartupState prime1 = SimulatedStation(ScanMode::Prime, 1);
    static const StartupState prime730 = SimulatedStation(ScanMode::Prime, 730);
    static const StartupState rapid730 = SimulatedStation(ScanMode::RapidScan, 730);
    if (service == ScanMode::RapidScan) return rapid730;
    return dayCount == 1 ? prime1 : prime730;
}

void OneDay(benchmark::State& state, ScanMode service, int historyDays) {
    const StartupState& station = Station(service, historyDays);
    const Day day = historyDays == 1 ? kLastDay : kLastDay - days{365};
    for (auto _ : state) {
        DayReportResult result = BuildDayReport(station, ReportOptions{}, day);
        benchmark::DoNotOptimize(result.lists.missingProduct.size());
    }
}

// The year before the history's last day, each day as a single-day run would report it.
void Year(benchmark::State& state, ScanMode service) {
    const StartupState& station = Station(service, 730);
    const Day from = kLastDay - days{364};
    for (auto _ : state) {
        std::size_t lines = 0;
        for (Day day = from; day <= kLastDay; day += days{1}) {
            lines += BuildDayReport(station, ReportOptions{}, day).lists.missingProduct.size();
        }
        benchmark::DoNotOptimize(lines);
    }
}

}  // namespace
}  // namespace gapscope::bench

int main(int argc, char** argv) {
    using namespace gapscope;
    using namespace gapscope::bench;
    benchmark::RegisterBenchmark("FindingsDay/prime-1", OneDay, ScanMode::Prime, 1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FindingsDay/prime-730", OneDay, ScanMode::Prime, 730)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FindingsYear/prime-730", Year, ScanMode::Prime)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FindingsYear/rapid-730", Year, ScanMode::RapidScan)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
