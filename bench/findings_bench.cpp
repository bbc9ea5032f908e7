// Report runs with their findings: one day on a one-day and on a two-year history, and the
// last year of the two-year history as one range (summary lines; JSON documents). The
// histories are those scripts/bench.sh makes ($GAPSCOPE_BENCH_HISTORIES), or simulated the
// same way into the system's temporary directory, and loaded as gapscope-report loads them.
#include <benchmark/benchmark.h>

#include <chrono>

#include "app/findings_json.h"
#include "bench/bench_histories.h"
#include "report/day_range.h"
#include "report/range_summary.h"
#include "startup/startup_state.h"

namespace gapscope::bench {
namespace {

using std::chrono::days;

constexpr Day kLastDay = kBenchLastDay;

const StartupState& Station(ScanMode service, int dayCount) {
    static const StartupState prime1 = SimulatedBenchStation("day-1", ScanMode::Prime, 1);
    static const StartupState prime730 = SimulatedBenchStation("prime-730", ScanMode::Prime, 730);
    static const StartupState rapid730 = SimulatedBenchStation("rapid-730", ScanMode::RapidScan, 730);
    if (service == ScanMode::RapidScan) return rapid730;
    return dayCount == 1 ? prime1 : prime730;
}

// One report run, as gapscope-report --day makes it.
void OneDay(benchmark::State& state, ScanMode service, int historyDays) {
    const StartupState& station = Station(service, historyDays);
    const Day day = historyDays == 1 ? kLastDay : kLastDay - days{365};
    for (auto _ : state) {
        DayReportResult result = BuildDayReport(station, ReportOptions{}, day);
        benchmark::DoNotOptimize(result.findings.expected.size());
    }
}

ReportOptions RangeOptions(bool detectFillIn) {
    ReportOptions options;
    options.disableMsg1Mpef = detectFillIn;  // process.log is read (once) for the range
    return options;
}

const DayRange kLastYear{kLastDay - days{364}, kLastDay, std::nullopt};

// The last year as a range with its summary lines, as gapscope-report --from --to prints it.
void YearSummary(benchmark::State& state, ScanMode service, bool detectFillIn) {
    const StartupState& station = Station(service, 730);
    for (auto _ : state) {
        std::size_t bytes = RangeSummaryHeading().size();
        const RangeOutcome outcome = RunDayRange(station, RangeOptions(detectFillIn), kLastYear,
                                                 [&](Day day, DayReportResult& r) {
            bytes += r.error ? RangeErrorLine(day, *r.error).size()
                             : RangeSummaryLine(day, Summarise(r.findings)).size();
        });
        bytes += RangeTotalsLine(outcome.totals, outcome.failed).size();
        benchmark::DoNotOptimize(bytes);
    }
}

// The same range as JSON Lines, one document per day.
void YearJson(benchmark::State& state, ScanMode service) {
    const StartupState& station = Station(service, 730);
    const DocumentFacts facts{"3.1.23.1366", "Bench"};
    for (auto _ : state) {
        std::size_t bytes = 0;
        RunDayRange(station, ReportOptions{}, kLastYear, [&](Day, DayReportResult& r) {
            bytes += JsonLine(RunDocument(r, facts)).size() + 1;
        });
        benchmark::DoNotOptimize(bytes);
        state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    }
}

}  // namespace
}  // namespace gapscope::bench

int main(int argc, char** argv) {
    using namespace gapscope;
    using namespace gapscope::bench;
    benchmark::RegisterBenchmark("Findings/Day/prime-1", OneDay, ScanMode::Prime, 1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Findings/Day/prime-730", OneDay, ScanMode::Prime, 730)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Findings/YearSummary/prime-730", YearSummary, ScanMode::Prime, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Findings/YearSummary/rapid-730", YearSummary, ScanMode::RapidScan, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Findings/YearSummary/rapid-730-fill-in", YearSummary,
                                 ScanMode::RapidScan, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Findings/YearJson/prime-730", YearJson, ScanMode::Prime)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
