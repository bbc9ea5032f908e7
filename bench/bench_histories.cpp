#include "bench/bench_histories.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace gapscope::bench {

std::vector<BenchHistory> FindBenchHistories() {
    std::vector<BenchHistory> histories;
    const char* root = std::getenv("GAPSCOPE_BENCH_HISTORIES");
    if (!root) return histories;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        std::ifstream dayFile(entry.path() / "report-day.txt");
        int y = 0;
        unsigned m = 0, d = 0;
        char dash1 = 0, dash2 = 0;
        if (!(dayFile >> y >> dash1 >> m >> dash2 >> d)) continue;
        histories.push_back({entry.path().filename().string(), entry.path(),
                             Day{std::chrono::year{y} / std::chrono::month{m} / std::chrono::day{d}}});
    }
    std::sort(histories.begin(), histories.end(),
              [](const BenchHistory& a, const BenchHistory& b) { return a.name < b.name; });
    return histories;
}

LoadedBenchHistory LoadBenchHistory(const std::string& name) {
    const char* root = std::getenv("GAPSCOPE_BENCH_HISTORIES");
    if (!root || !std::filesystem::is_directory(root)) {
        std::fprintf(stderr, "GAPSCOPE_BENCH_HISTORIES %s: run the benchmarks with make bench "
                             "(scripts/bench.sh makes the histories)\n",
                     root ? "is not a folder" : "is not set");
        std::exit(2);
    }
    const auto histories = FindBenchHistories();
    const auto found = std::find_if(histories.begin(), histories.end(),
                                    [&](const BenchHistory& h) { return h.name == name; });
    if (found == histories.end()) {
        std::fprintf(stderr, "No history %s with its report-day.txt in %s: scripts/bench.sh makes it\n",
                     name.c_str(), root);
        std::exit(2);
    }
    StartupInputs inputs;
    inputs.arguments = {found->directory.string()};
    inputs.programDirectory = found->directory;
    StartupLoad load = LoadStartupState(inputs);
    if (!load.anyLogFound || !load.logsLoaded) {
        std::fprintf(stderr, "The logs of %s could not be read\n", found->directory.string().c_str());
        std::exit(2);
    }
    return {std::move(load.state), found->reportDay};
}

}  // namespace gapscope::bench
