// Load and report-run benchmarks of the core over simulated station histories.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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

// What reading the logs costs at the least, done as any program that reads a file does
// it: per file, open it, take a fresh buffer of its size, read it whole and count its
// lines; nothing is parsed or indexed. A buffer kept across iterations would never touch
// fresh memory and so would flatter the baseline.
void Baseline(benchmark::State& state, const BenchHistory& h) {
    std::vector<std::string> paths;
    for (const char* name : kLogNames) paths.push_back((h.directory / name).string());
    for (auto _ : state) {
        std::size_t lines = 0;
        for (const std::string& path : paths) {
            std::FILE* file = std::fopen(path.c_str(), "rb");
            if (!file) continue;
            std::fseek(file, 0, SEEK_END);
            const auto size = static_cast<std::size_t>(std::ftell(file));
            std::fseek(file, 0, SEEK_SET);
            const std::unique_ptr<char[]> buffer(new char[size]);
            const std::size_t n = std::fread(buffer.get(), 1, size, file);
            std::fclose(file);
            const char* p = buffer.get();
            const char* const end = p + n;
            while ((p = static_cast<const char*>(std::memchr(p, '\n', end - p)))) {
                ++lines;
                ++p;
            }
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * LogBytes(h)));
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
        benchmark::RegisterBenchmark(("Baseline/" + h.name).c_str(), Baseline, h)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        // A large log is read on a second thread while it is built: the CPU time counts
        // both threads.
        benchmark::RegisterBenchmark(("Load/" + h.name).c_str(), Load, h)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
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
