#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "command/report_command_line.h"
#include "report/report_options.h"
#include "startup/startup_state.h"
#include "unattended/unattended_run.h"

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
    // Why they cannot be read whole (SettingsProblem), said as a warning by a run that
    // reads them; nullopt when they can.
    std::function<std::optional<std::string>()> settingsProblem;
    // How a run that saves without a person watching treats a log held busy (the program
    // uses UnattendedRetryPolicy()); a printed report tries each log once.
    RetryPolicy busyRetry;
    // How --save waits for a program that holds the old report open (SaveRetryPolicy()).
    RetryPolicy saveRetry;
    // Reads one log; empty: the file itself. Tests put a log that stays busy in its place.
    std::function<LogReadResult(const std::filesystem::path&)> readLog;
    // What is wrong in the surroundings (BusyWaitProblem), said as a warning by every run.
    std::vector<std::string> warnings;
    // gapscope-picture, which draws --picture (FindPictureProgram); none: not installed.
    std::optional<std::filesystem::path> pictureProgram;
};

// The modes of the command, as they decide which options go together and as --help lists them.
std::vector<ModeOptions> ReportModes();

// Runs gapscope-report; returns its exit status (ExitStatus, shared with `gapscope -s`).
int RunReportCommand(const std::vector<std::string>& arguments, const CommandEnvironment& env,
                     std::ostream& out, std::ostream& err);

}  // namespace gapscope
