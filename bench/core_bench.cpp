// Loading the logs and one report run, on simulated station histories.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/bench_histories.h"
#include "report/day_report.h"
#include "startup/startup_state.h"

namespace gapscope::bench {
namespace {

const char* const kLogNames[] = {"FileHistory.log", "LateSegHistory.log", "SegHistory.log"};

std::size_t LogBytes(const BenchHistory& h) {
    std::size_t total = 0;
    for (const char* name : kLogNames) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(h.directory / name, ec);
        if (!ec) total += size;
    }
    return total;
}

StartupInputs Inputs(const BenchHistory& h) {
    StartupInputs inputs;
    inputs.arguments = {h.directory.string()};
    inputs.programDirectory = h.directory;
    return inputs;
}

void Load(benchmark::State& state, const BenchHistory& h) {
    const StartupInputs inputs = Inputs(h);
    for (auto _ : state) {
        StartupLoad result = LoadStartupState(inputs);
        benchmark::DoNotOptimize(result.state.SegHistory.LineCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * LogBytes(h)));
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
        benchmark::RegisterBenchmark(("Load/" + h.name).c_str(), Load, h)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("Report/" + h.name).c_str(), Report, h)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
