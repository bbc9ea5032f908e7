#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_log.h"
#include "history/scan_mode.h"

namespace gapscope {

// The command-line switches. A switch matches an argument whose first character is one of
// its prefix characters and whose rest is the switch's name, letter case ignored.
struct Switches {
    bool autoRun = false;     // "s", '-' or '/': save yesterday's report and end
    bool neat = false;        // "neat", '-' or '/'
    bool parallel = false;    // "P", '-' only
    bool noFy2c = false;      // "NOFY2C", '-' only
    bool noMpe = false;       // "NOMPE", '-' only
    bool himawari = false;    // "HIM", '-' only
    bool noHimawari = false;  // "NOHIM", '-' only
    friend bool operator==(const Switches&, const Switches&) = default;
};
Switches ParseSwitches(const std::vector<std::string>& arguments);
// True when the argument names one of the switches above.
bool IsSwitch(std::string_view argument);
// For an argument that names a switch with a prefix character the switch does not take
// ("/HIM"), why it is none; nullopt for any other argument.
std::optional<std::string> WhyNotASwitch(std::string_view argument);

// Where the logs of a state not read from files begin: before any day a report is asked for.
inline constexpr MinuteTime kLogsBeganBeforeAnyDay{Day{std::chrono::year{1} / 1 / 1}};

// How far after the time the logs are read a record may be stamped before it is told: station
// clocks drift, and the folder may be written by another host.
inline constexpr std::chrono::minutes kClockSlack{15};

// The records of the segment history stamped more than kClockSlack after the time the logs
// were read: a station clock set wrong. They neither begin the logs nor are the newest record.
struct RecordsAfterNow {
    int count = 0;
    std::optional<MinuteTime> newest;
    friend bool operator==(const RecordsAfterNow&, const RecordsAfterNow&) = default;
};

// Values fixed once when the program starts and only read afterwards.
struct StartupState {
    std::string DataDirectory;  // always ends in a path separator
    std::string ComputerName;
    HistoryLog FileHistory;
    HistoryLog LateSegHistory;
    HistoryLog SegHistory;
    ScanMode Mode = ScanMode::Prime;
    // The earliest minute key of the segment history, keys after the time the logs were
    // read left out; nullopt when it holds none, and every day is before the logs begin.
    // A state built by hand rather than from logs has logs that began before any day.
    std::optional<MinuteTime> FirstRecord = kLogsBeganBeforeAnyDay;
    RecordsAfterNow AfterNow;
    bool NoPrologCheck = false;
    bool Fy2cSeen = false;
    Switches switches;

    bool IsRapidScan() const { return Mode == ScanMode::RapidScan; }
    bool IsIodc() const { return Mode == ScanMode::Iodc; }
    bool ParallelMode() const { return switches.parallel; }
    bool NoMpe() const { return switches.noMpe; }
    bool HimawariMode() const { return switches.himawari; }
    bool NoHimawari() const { return switches.noHimawari; }
    bool NeatMode() const { return switches.neat; }
};

// "STATION7" -> "Station7": ASCII letters lowered, then a leading a..z raised.
std::string NormaliseComputerName(const std::string& name);

// Directory of the logs: the first argument when it names an existing directory, else the
// program's directory; always ends in a separator.
std::string ResolveDataDirectory(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& programDirectory);

// The scan mode, the flags, the first record and the records after now that the text of the
// segment history and the switches give; keys after `now` do not count as the first record.
void DeriveStartupFlags(StartupState& state, std::optional<MinuteTime> now = std::nullopt);

// What the segment history's lines said for the flags, up to the line searched last, so
// that a log that only grew is searched in its new lines alone.
struct SegHistoryScan {
    std::size_t lines = 0;
    bool rapid = false;        // "RP=", "RE=" or "R9="
    bool rapidProlog = false;  // "RP=", looked for once rapid
    bool iodc = false;         // "IP=", "IE=" or "I9=", looked for while not rapid
    bool iodcProlog = false;   // "IP=", looked for once IODC
    bool fy2c = false;         // "67=" or "71="
    std::optional<MinuteTime> now;       // the time the keys were sorted by
    std::optional<MinuteTime> earliest;  // the earliest minute key not after `now`
    std::vector<MinuteTime> later;       // the minute keys after `now`
    std::optional<MinuteTime> newest;    // the latest minute key not after `now`
};
// DeriveStartupFlags, going on from `scan`, which must be of the same log's earlier lines
// (empty, it searches them all): what the lines added since give, at `now`.
void DeriveStartupFlags(StartupState& state, SegHistoryScan& scan, std::optional<MinuteTime> now);

// How often a log that another program holds busy is tried, and how the wait between two
// tries is spent. One try (the default) never waits.
struct RetryPolicy {
    int tries = 1;
    std::chrono::milliseconds pause{0};
    std::function<void(std::chrono::milliseconds)> wait;
};

// Calls `attempt` again while `busy` says its result is busy and the policy allows another
// try, waiting between two tries; returns the last result.
template <typename Attempt, typename Busy>
auto RetryWhileBusy(const RetryPolicy& retry, Attempt attempt, Busy busy) {
    auto result = attempt();
    for (int tried = 1; busy(result) && tried < retry.tries; ++tried) {
        if (retry.wait) retry.wait(retry.pause);
        result = attempt();
    }
    return result;
}

// Everything the start-up reads from outside the core.
struct StartupInputs {
    std::vector<std::string> arguments;  // command-line arguments, program name excluded
    std::filesystem::path programDirectory;
    // COMPUTERNAME when set (even empty), otherwise the host name; nullopt: no name at all.
    std::optional<std::string> computerName;
    RetryPolicy retry;
    // Reads one log; empty: ReadHistoryLog. Tests put a log that stays busy in its place.
    std::function<LogReadResult(const std::filesystem::path&)> readLog;
    // The current minute: a record stamped later does not begin the logs. None: any record.
    std::optional<MinuteTime> now;
};

// What the start-up found besides the state: whether the logs were read, and why not.
struct StartupLoad {
    StartupState state;
    bool logsLoaded = false;           // every log present was read
    bool anyLogFound = false;          // at least one of the three exists
    // The file name of the log that stopped the reading; empty when the folder itself could
    // not be searched, so that no log in it could be reached.
    std::string unreadableLog;
    LogReadStatus unreadableStatus = LogReadStatus::Ok;
    std::string unreadableReason;
    // How far each log was read, in the order they are read (FileHistory.log,
    // LateSegHistory.log, SegHistory.log), for following them as they grow; empty for a log
    // read through `StartupInputs::readLog`, not read, or ending in an unfinished line.
    std::array<LogReadMark, 3> marks{};
    SegHistoryScan segScan;
};

// What stopped the reading, named for the operator: "the folder DIR/" when the folder
// itself could not be searched, else the log's path. Empty when the logs were read.
std::string UnreadableName(const StartupLoad& load);

// The newest minute key of the segment history not after the time the logs were read, from
// the start-up's scan when it covers the whole log (as after a reading), so that the log is
// not searched a second time.
std::optional<MinuteTime> NewestSegRecord(const StartupLoad& load);

// The show step without a window: data directory, switches, the three logs read in order
// (a log that cannot be read leaves it and the later ones empty), then the flags.
StartupLoad LoadStartupState(const StartupInputs& inputs);

// A log that holds fewer lines than were read of it before, found by a refresh.
struct LogLoss {
    enum class How { Replaced, CutShorter, Removed };
    std::string log;  // the file name
    How how = How::Replaced;
    friend bool operator==(const LogLoss&, const LogLoss&) = default;
};

// What a refresh of a start-up's logs found.
struct StartupRefresh {
    bool changed = false;  // lines were added, a log was read anew or emptied, or one failed
    // The log another program held busy: it and the logs after it were kept as they were
    // read last, to be tried again at the next refresh.
    std::optional<std::string> busyLog;
    // The logs read whole that now hold fewer lines than before: another file in their
    // place, cut shorter or removed. A log that grew, or was rewritten longer, is not here.
    std::vector<LogLoss> lost;
};
// Brings a load of LoadStartupState (or of this) up to what its logs hold now, as a new
// start-up with the same data directory and switches at `inputs.now` would find them, but
// reading only what each log gained since its mark (RefreshHistoryLog): a log replaced or
// cut shorter is read whole, an unfinished last line waits for its line end. A log that
// cannot be read ends the reading as at start-up; one held busy keeps what was read of it
// and of the later logs. The flags are derived again.
StartupRefresh RefreshStartupLoad(StartupLoad& load, const StartupInputs& inputs);

}  // namespace gapscope
