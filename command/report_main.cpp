// gapscope-report: the day report without a window, for scripts, cron jobs and servers.
#include <chrono>
#include <cstdlib>
#include <exception>
#include <new>
#include <ostream>

#include "command/report_command.h"
#include "platform/console.h"
#include "platform/program_location.h"
#include "platform/standard_stream.h"
#include "command/report_picture.h"
#include "settings/stored_options.h"
#include "settings/version_text.h"
#include "startup/computer_name.h"

namespace {

// The last word of a run that ends on an exception nobody caught. Out of memory it can get
// there past every handler: the JSON library allocates while it is destroyed. Whole lines
// and documents have left already; the one being made is dropped with the buffer. Nothing
// here allocates.
[[noreturn]] void EndOnUncaughtException() {
    using gapscope::StandardStream;
    const auto say = [](std::string_view text) {
        gapscope::WriteStandard(StandardStream::kError, text);
    };
    try {
        if (const std::exception_ptr uncaught = std::current_exception())
            std::rethrow_exception(uncaught);
        say("gapscope-report: the run stopped on an unknown error\n");
    } catch (const std::bad_alloc&) {
        say("gapscope-report: not enough memory to make the report\n");
        std::_Exit(gapscope::kExitReportFailed);
    } catch (const std::exception& e) {
        say("gapscope-report: the run stopped on an unexpected error: ");
        say(e.what());
        say("\n");
    } catch (...) {
        say("gapscope-report: the run stopped on an unknown error\n");
    }
    std::abort();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace gapscope;
    std::set_terminate(EndOnUncaughtException);
    CommandEnvironment env;
    env.programDirectory = ProgramDirectory(argc > 0 ? argv[0] : "");
    env.computerName = SystemComputerName();
    env.now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    env.versionText = ProgramVersionText();
    // The window's own per-user options, so that a scripted report matches what the
    // operator sees on screen.
    env.storedOptions = [] { return ReadStoredOptions("gapscope"); };
    env.settingsProblem = [] { return SettingsProblem("gapscope"); };
    env.busyRetry = UnattendedRetryPolicy();
    env.saveRetry = SaveRetryPolicy();
    if (auto problem = BusyWaitProblem()) env.warnings.push_back(std::move(*problem));
    env.pictureProgram = FindPictureProgram(env.programDirectory);
    // Text leaves as it is made (a range day by day), converted for a Windows console where
    // there is one; messages at once.
    StandardStreamBuffer outBuffer(StandardStream::kOutput);
    StandardStreamBuffer errBuffer(StandardStream::kError);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    err << std::unitbuf;
    int status = RunReportCommand(CommandArguments(argc, argv), env, out, err);
    out.flush();
    // Output that did not reach its reader is a failure, never a quiet success; a reader
    // that went away on purpose (`| head`) needs no message.
    if (const auto& failure = outBuffer.Failure()) {
        if (!failure->closedPipe) {
            err << "gapscope-report: cannot write the output: " << failure->reason << "\n";
        }
        status = kExitSaveFailed;
    }
    return status;
}
