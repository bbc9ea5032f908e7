// gapscope-report: the day report without a window, for scripts, cron jobs and servers.
#include <chrono>
#include <sstream>

#include "platform/console.h"
#include "platform/program_location.h"
#include "command/report_command.h"
#ifdef GAPSCOPE_PICTURES
#include "command/report_picture.h"
#endif
#include "settings/stored_options.h"
#include "settings/version_text.h"
#include "startup/computer_name.h"

int main(int argc, char** argv) {
    using namespace gapscope;
    CommandEnvironment env;
    env.programDirectory = ProgramDirectory(argc > 0 ? argv[0] : "");
    env.computerName = SystemComputerName();
    env.now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    env.versionText = ProgramVersionText();
    // The window's own per-user options, so that a scripted report matches what the
    // operator sees on screen.
    env.storedOptions = [] { return ReadStoredOptions("gapscope"); };
    env.busyRetry = UnattendedRetryPolicy();
    env.saveRetry = SaveRetryPolicy();
#ifdef GAPSCOPE_PICTURES
    env.pictureProgram = FindPictureProgram(env.programDirectory);
#endif
    // Text goes out whole at the end, converted for a Windows console where there is one.
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunReportCommand(CommandArguments(argc, argv), env, out, err);
    WriteStandard(StandardStream::kError, err.str());
    WriteStandard(StandardStream::kOutput, out.str());
    return status;
}
