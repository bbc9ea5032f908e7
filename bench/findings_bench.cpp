// Report runs with their findings: one day on a one-day and on a two-year history, and the
// last year of the two-year history as one range (summary lines; JSON documents). The
// histories are those scripts/bench.sh makes ($GAPSCOPE_BENCH_HISTORIES), loaded as
// gapscope-report loads them.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/bench_histories.h"
#include "formats/findings_json.h"
#include "history/scan_mode.h"
#include "measures/range_summary.h"
#include "report/day_range.h"
#include "settings/version.h"
#include "startup/startup_state.h"

namespace gapscope::bench {
namespace {

using std::chrono::days;

const LoadedBenchHistory& History(ScanMode service, int dayCount) {
    static const LoadedBenchHistory prime1 = LoadBenchHistory("day-1");
    static const LoadedBenchHistory prime730 = LoadBenchHistory("prime-730");
    static const LoadedBenchHistory rapid730 = LoadBenchHistory("rapid-730");
    if (service == ScanMode::RapidScan) return rapid730;
    return dayCount == 1 ? prime1 : prime730;
}

// One report run on the history's report day, as gapscope-report --day makes it.
void OneDay(benchmark::State& state, ScanMode service, int historyDays) {
    const LoadedBenchHistory& history = History(service, historyDays);
    for (auto _ : state) {
        DayReportResult result = BuildDayReport(history.state, ReportOptions{}, history.reportDay);
        benchmark::DoNotOptimize(result.findings.expected.size());
    }
}

ReportOptions RangeOptions(bool detectFillIn) {
    ReportOptions options;
    options.disableMsg1Mpef = detectFillIn;  // process.log is read (once) for the range
    return options;
}

// The last year of a two-year history: the 365 days after its report day, its middle.
DayRange LastYear(const LoadedBenchHistory& history) {
    return {history.reportDay + days{1}, history.reportDay + days{365}, std::nullopt};
}

// The last year as a range with its summary lines, as gapscope-report --from --to prints it.
void YearSummary(benchmark::State& state, ScanMode service, bool detectFillIn) {
    const LoadedBenchHistory& history = History(service, 730);
    const StartupState& station = history.state;
    for (auto _ : state) {
        std::size_t bytes = RangeSummaryHeading().size();
        const RangeOutcome outcome = RunDayRange(station, RangeOptions(detectFillIn), LastYear(history),
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
    const LoadedBenchHistory& history = History(service, 730);
    const DocumentFacts facts{kVersionText, "Bench"};
    for (auto _ : state) {
        std::size_t bytes = 0;
        RunDayRange(history.state, ReportOptions{}, LastYear(history), [&](Day, DayReportResult& r) {
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
