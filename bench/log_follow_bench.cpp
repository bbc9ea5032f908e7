// Following a growing segment history: the lines of one repeat cycle appended to a ten-year
// SegHistory.log and the log refreshed, beside loading the same log whole; and the window's
// look at its logs (the three read as far as they grew, the day reported again) beside the
// window's start on the same history. Logs made by scripts/bench.sh under
// $GAPSCOPE_FOLLOW_HISTORIES: prime-3650 (ten years) and next-day (the day after it, whose
// records are appended cycle by cycle).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_log.h"
#include "window_model/window_model.h"

namespace gapscope::bench {
namespace {

namespace fs = std::filesystem;

fs::path Root() {
    const char* root = std::getenv("GAPSCOPE_FOLLOW_HISTORIES");
    if (!root || !fs::is_directory(fs::path(root) / "prime-3650")) {
        std::fprintf(stderr,
                     "GAPSCOPE_FOLLOW_HISTORIES names no folder with prime-3650: run the "
                     "benchmarks with make bench (scripts/bench.sh makes the histories)\n");
        std::exit(2);
    }
    return root;
}

// The repeat cycle of a record: its minute key's day and hour, and the quarter of the hour.
std::string CycleOf(std::string_view line) {
    if (line.size() < 12) return {};
    const int minute = (line[10] - '0') * 10 + (line[11] - '0');
    return std::string(line.substr(0, 10)) + static_cast<char>('0' + minute / 15);
}

// The records of the next day's segment history, whole lines, one piece per repeat cycle.
std::vector<std::string> CycleRecords(const fs::path& log) {
    std::ifstream in(log, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> cycles;
    std::string cycle;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
        const std::string_view line = std::string_view(text).substr(start, end - start);
        if (cycles.empty() || CycleOf(line) != cycle) cycles.emplace_back();
        cycle = CycleOf(line);
        cycles.back() += line;
        start = end;
    }
    return cycles;
}

void Load(benchmark::State& state) {
    const fs::path log = Root() / "prime-3650" / "SegHistory.log";
    for (auto _ : state) {
        LogReadResult read = ReadHistoryLog(log, HistoryLog::Dates::Collect);
        benchmark::DoNotOptimize(read.log.LineCount());
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(log));
}

// Each iteration appends the next cycle (untimed, as the station writes it) and refreshes.
void Refresh(benchmark::State& state) {
    const fs::path root = Root();
    static const std::vector<std::string> cycles =
        CycleRecords(root / "next-day" / "SegHistory.log");
    const fs::path growing = root / "follow" / "SegHistory.log";
    fs::create_directories(growing.parent_path());
    fs::copy_file(root / "prime-3650" / "SegHistory.log", growing,
                  fs::copy_options::overwrite_existing);
    HistoryLog log;
    LogReadMark mark;
    RefreshHistoryLog(growing, log, mark, HistoryLog::Dates::Collect);
    std::size_t next = 0;
    double appended = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string& records = cycles[next++ % cycles.size()];
        std::ofstream(growing, std::ios::binary | std::ios::app)
            .write(records.data(), static_cast<std::streamsize>(records.size()));
        appended += static_cast<double>(records.size());
        state.ResumeTiming();
        const LogRefresh refresh =
            RefreshHistoryLog(growing, log, mark, HistoryLog::Dates::Collect);
        if (refresh.status != LogReadStatus::Ok || !refresh.changed) {
            state.SkipWithError("the refresh did not read the appended cycle");
            break;
        }
    }
    state.counters["bytes"] = appended / static_cast<double>(state.iterations());
}

constexpr const char* kLogNames[] = {"SegHistory.log", "LateSegHistory.log", "FileHistory.log"};

// The window on a copy of the ten-year history, its clock at `*clock`.
std::unique_ptr<WindowModel> OpenWindow(const fs::path& folder, const std::chrono::sys_seconds* clock) {
    WindowInputs inputs;
    inputs.arguments = {folder.string()};
    inputs.programDirectory = folder;
    inputs.computerName = "Bench";
    inputs.versionText = "bench";
    inputs.now = [clock] { return *clock; };
    auto model = std::make_unique<WindowModel>(std::move(inputs));
    model->FormShow();
    model->ButtonTodayClick();
    return model;
}

// The first day after the ten-year history, the day the window follows.
const std::chrono::sys_days kFollowedDay{std::chrono::year{2025} / 7 / 1};

fs::path WindowCopy(const fs::path& root) {
    const fs::path folder = root / "follow-window";
    fs::create_directories(folder);
    for (const char* name : kLogNames) {
        fs::copy_file(root / "prime-3650" / name, folder / name, fs::copy_options::overwrite_existing);
    }
    return folder;
}

// The window's start: the three logs read whole, the day reported.
void WindowStart(benchmark::State& state) {
    const fs::path folder = WindowCopy(Root());
    const std::chrono::sys_seconds clock{kFollowedDay};
    for (auto _ : state) {
        const auto model = OpenWindow(folder, &clock);
        benchmark::DoNotOptimize(model->Lists().missingSlots.size());
    }
}

// Each iteration appends the next cycle (untimed) and gives the window's follow tick at the
// end of that cycle: what the logs gained is read and the day reported again.
void WindowFollow(benchmark::State& state) {
    const fs::path root = Root();
    static const std::vector<std::string> cycles =
        CycleRecords(root / "next-day" / "SegHistory.log");
    const fs::path folder = WindowCopy(root);
    std::chrono::sys_seconds clock{kFollowedDay};
    const auto model = OpenWindow(folder, &clock);
    std::size_t next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string& records = cycles[next % cycles.size()];
        std::ofstream(folder / "SegHistory.log", std::ios::binary | std::ios::app)
            .write(records.data(), static_cast<std::streamsize>(records.size()));
        ++next;
        clock = std::chrono::sys_seconds{kFollowedDay} + std::chrono::minutes{15 * next};
        const std::size_t lines = model->Startup().SegHistory.LineCount();
        state.ResumeTiming();
        model->TimerFollowTimer();
        if (model->Startup().SegHistory.LineCount() <= lines) {
            state.SkipWithError("the look did not read the appended cycle");
            break;
        }
    }
}

}  // namespace
}  // namespace gapscope::bench

int main(int argc, char** argv) {
    using namespace gapscope::bench;
    benchmark::RegisterBenchmark("Follow/Load/prime-3650", Load)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    // A day of cycles a repetition: the log grows as it does in a day of following.
    benchmark::RegisterBenchmark("Follow/Refresh/prime-3650", Refresh)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(96);
    benchmark::RegisterBenchmark("Follow/WindowStart/prime-3650", WindowStart)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    // A day of cycles, each looked at when it is over.
    benchmark::RegisterBenchmark("Follow/WindowLook/prime-3650", WindowFollow)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(96);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
