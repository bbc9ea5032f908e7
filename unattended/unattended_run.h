#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "startup/startup_state.h"

namespace gapscope {

// Exit statuses shared by the programs that save a report without a person watching
// (`gapscope -s`, `gapscope-report --save`) and by every mode of gapscope-report but the
// check.
enum ExitStatus {
    kExitDone = 0,
    kExitReportFailed = 1,   // a bad segment mask stopped the report run
    kExitBadUsage = 2,       // also a day still to come
    kExitSaveFailed = 3,     // the report file could not be written
    // No such folder, no log in it, or a log that cannot be read: nothing is reported. A save
    // of a day wholly before the logs begin ends so too.
    kExitDataUnreadable = 4
};

// How an unattended run treats a log that another program holds: tried 7 times, 5 s
// apart (half a minute), or GAPSCOPE_BUSY_WAIT seconds apart when that is set, so that
// tests need not wait. `wait` sleeps. A GAPSCOPE_BUSY_WAIT that BusyWaitProblem refuses
// leaves the usual pauses.
RetryPolicy UnattendedRetryPolicy();

// How a save treats an old report that another program holds open so that it cannot be
// replaced (on Windows, a viewer sharing it for reading only): tried 10 times, half a
// second apart, or GAPSCOPE_BUSY_WAIT seconds apart when that is set.
RetryPolicy SaveRetryPolicy();

// The pause GAPSCOPE_BUSY_WAIT names: a number of seconds from 0 to 60 ("0.25"); nullopt
// for anything else ("inf", "nan", "1e300", "-1", words), checked before any conversion.
std::optional<std::chrono::milliseconds> ParseBusyWait(std::string_view text);

// Why the GAPSCOPE_BUSY_WAIT of the environment is not used, in one line; nullopt when it
// is unset or good.
std::optional<std::string> BusyWaitProblem();

// Why an unattended run must not report on what it found, in one line naming the folder or
// the log: the folder named as the first argument does not exist or is no folder, the data
// folder cannot be searched or holds none of the three logs, or a log exists but could not
// be read. The one wording of these faults for every mode of the command and the window. `firstArgument`
// is what named the data folder, if anything did. nullopt when the data can be reported on.
std::optional<std::string> UnattendedDataProblem(const std::optional<std::string>& firstArgument,
                                                 const StartupLoad& load);

// Why the report file of `day` must not be written, and the status a run that was to write
// it ends with.
struct SaveRefusal {
    ExitStatus status = kExitDataUnreadable;
    std::string line;  // one line, without the program's name
};
// nullopt when the file may be written. Refused: data that could not be read (`dataProblem`,
// as UnattendedDataProblem gave it; status 4), a day that has not begun at `now` (status 2),
// a day wholly before the first record of the segment history (status 4). The current day
// may be saved: its report says up to which minute it was judged.
std::optional<SaveRefusal> RefuseSave(const std::optional<std::string>& dataProblem,
                                      const StartupState& state, Day day, MinuteTime now);

}  // namespace gapscope
