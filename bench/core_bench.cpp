// One report run with the logs in memory, on simulated station histories.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/bench_histories.h"
#include "report/day_report.h"
#include "startup/startup_state.h"

namespace gapscope::bench {
namespace {

StartupInputs Inputs(const BenchHistory& h) {
    StartupInputs inputs;
    inputs.arguments = {h.directory.string()};
    inputs.programDirectory = h.directory;
    return inputs;
}

void Report(benchmark::State& state, const BenchHistory& h) {
    const StartupLoad startup = LoadStartupState(Inputs(h));
    const ReportOptions options;
    for (auto _ : state) {
        DayReportResult result = BuildDayReport(startup.state, options, h.reportDay);
        benchmark::DoNotOptimize(result.lists.missingProduct.size());
    }
}

}  // namespace
}  // namespace gapscope::bench

int main(int argc, char** argv) {
    using namespace gapscope::bench;
    const auto histories = FindBenchHistories();
    if (histories.empty()) {
        std::fprintf(stderr,
                     "No histories: set GAPSCOPE_BENCH_HISTORIES (scripts/bench.sh does)\n");
        return 2;
    }
    for (const BenchHistory& h : histories) {
        benchmark::RegisterBenchmark(("Report/" + h.name).c_str(), Report, h)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
