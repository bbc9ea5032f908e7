#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "report/report_file.h"
#include "report/report_options.h"

namespace gapscope {

// What the headless report command takes from its surroundings, so that tests can
// give it a fixed clock, program directory and per-user options.
struct CommandEnvironment {
    std::filesystem::path programDirectory;
    std::optional<std::string> computerName;
    std::chrono::sys_seconds now{};
    std::string versionText;
    // The options the window would start with for this user.
    std::function<ReportOptions()> storedOptions;
    // How long --save waits for a program that holds the old report open.
    SaveRetry saveRetry;
};

// Exit statuses of gapscope-report.
enum CommandStatus { kDone = 0, kReportFailed = 1, kBadUsage = 2, kSaveFailed = 3 };

int RunReportCommand(const std::vector<std::string>& arguments, const CommandEnvironment& env,
                     std::ostream& out, std::ostream& err);

}  // namespace gapscope
