// gapscope-report: the day report without a window, for scripts, cron jobs and servers.
#include <chrono>
#include <iostream>

#include "app/program_location.h"
#include "app/report_command.h"
#include "settings/stored_options.h"
#include "settings/version.h"
#include "startup/computer_name.h"

int main(int argc, char** argv) {
    using namespace gapscope;
    CommandEnvironment env;
    env.programDirectory = ProgramDirectory(argc > 0 ? argv[0] : "");
    env.computerName = SystemComputerName();
    env.now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    env.versionText = kVersionText;
    // The window's own per-user options, so that a scripted report matches what the
    // operator sees on screen.
    env.storedOptions = [] { return ReadStoredOptions("gapscope"); };
    env.busyRetry = UnattendedRetryPolicy();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return RunReportCommand(arguments, env, std::cout, std::cerr);
}
