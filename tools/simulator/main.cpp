#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "settings/version.h"
#include "tools/simulator/cli.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto now = std::chrono::floor<std::chrono::minutes>(std::chrono::system_clock::now());
    return gapscope::sim::RunSimulateCommand(arguments, now, std::cout, std::cerr,
                                             gapscope::kVersionText);
}
