#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "history/time_keys.h"
#include "tests/support/test_support.h"
#include "tools/simulator/simulator.h"

namespace gapscope::sim::testing {

constexpr auto D = gapscope::test::Date;

inline Instant At(Day day, int hour, int minute) {
    return Instant(day) + std::chrono::minutes(hour * 60 + minute);
}

// A fresh directory for the running test, removed afterwards.
class TempDir : public gapscope::test::TempDir {
  public:
    TempDir() : gapscope::test::TempDir("gapscope-sim-") {}
};

using gapscope::test::ReadFile;

// A log's keyed lines as key -> value ("yyyymmddhhnn" -> record), and whether the keys came
// strictly rising (in time order, one line per key).
struct KeyedLines {
    std::map<std::string, std::string> values;
    bool rising = true;
};
inline KeyedLines SplitKeyed(const std::string& text) {
    KeyedLines out;
    std::istringstream in(text);
    std::string line, last;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t eq = line.find('=');
        const std::string key = line.substr(0, eq);
        if (!last.empty() && key <= last) out.rising = false;
        last = key;
        out.values[key] = line.substr(eq + 1);
    }
    return out;
}

inline SimulationConfig CleanConfig(ScanMode service, Day first, Day last) {
    SimulationConfig config;
    config.service = service;
    config.first = first;
    config.last = last;
    config.rates = FindScenario("clean")->rates;
    return config;
}

inline Injection Inject(const std::string& text) {
    std::string error;
    auto inj = ParseInjection(text, error);
    EXPECT_TRUE(inj.has_value()) << text << ": " << error;
    return inj.value_or(Injection{});
}

}  // namespace gapscope::sim::testing
