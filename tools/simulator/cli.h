#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/simulator/simulator.h"

namespace gapscope::sim {

// What the command line of gapscope-simulate asks for.
struct CommandLine {
    std::filesystem::path directory;
    SimulationConfig config;
    std::string scenario = "typical";
    bool replace = false;
    bool listFaults = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Parses the arguments (program name excluded); `now` stands for the clock, which fixes
// "yesterday" and --until-now. On failure returns nullopt with `error` set.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments, Instant now,
                                            std::string& error);

std::string HelpText();

// The whole command: parse, simulate into the directory, report. Returns the exit status
// (0 done, 1 the logs could not be written, 2 a bad command line). `version`: what
// --version prints after the program's name.
int RunSimulateCommand(const std::vector<std::string>& arguments, Instant now, std::ostream& out,
                       std::ostream& err, std::string_view version = {});

}  // namespace gapscope::sim
