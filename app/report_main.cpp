// gapscope-report: the day report without a window, for scripts, cron jobs and servers.
#include <chrono>
#include <cstdlib>
#include <sstream>

#include "app/console.h"
#include "app/program_location.h"
#include "app/report_command.h"
#include "settings/stored_options.h"
#include "settings/version_text.h"
#include "startup/computer_name.h"

namespace {

// GAPSCOPE_SAVE_RETRY_MS: the pause between attempts to replace a report that another
// program holds open (tests shorten it).
std::chrono::milliseconds SaveRetryPause(std::chrono::milliseconds fallback) {
    const char* text = std::getenv("GAPSCOPE_SAVE_RETRY_MS");
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 0) return fallback;
    return std::chrono::milliseconds{value};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace gapscope;
    CommandEnvironment env;
    env.programDirectory = ProgramDirectory(argc > 0 ? argv[0] : "");
    env.computerName = SystemComputerName();
    env.now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    env.versionText = ProgramVersionText();
    env.saveRetry.pause = SaveRetryPause(env.saveRetry.pause);
    // The window's own per-user options, so that a scripted report matches what the
    // operator sees on screen.
    env.storedOptions = [] { return ReadStoredOptions("gapscope"); };
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunReportCommand(CommandArguments(argc, argv), env, out, err);
    WriteStandard(StandardStream::kError, err.str());
    WriteStandard(StandardStream::kOutput, out.str());
    return status;
}
