#include "bench/bench_histories.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "tools/simulator/simulator.h"

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

StartupState SimulatedBenchStation(const std::string& name, ScanMode service, int days) {
    namespace fs = std::filesystem;
    const char* shared = std::getenv("GAPSCOPE_BENCH_HISTORIES");
    const fs::path root = shared ? fs::path(shared) : fs::temp_directory_path() / "gapscope-bench";
    const fs::path dir = root / name;
    if (!fs::exists(dir / "SegHistory.log")) {
        sim::SimulationConfig config;
        config.service = service;
        config.last = kBenchLastDay;
        config.first = kBenchLastDay - std::chrono::days{days - 1};
        config.rates = sim::FindScenario("typical")->rates;
        config.seed = 7;
        config.recordFaults = false;
        sim::SimulateToDirectory(config, dir, true);
    }
    StartupInputs inputs;
    inputs.arguments = {dir.string()};
    inputs.programDirectory = dir;
    return LoadStartupState(inputs).state;
}

}  // namespace gapscope::bench
