#include "startup/startup_state.h"

#include <array>
#include <exception>
#include <string_view>
#include <system_error>

#include "history/day_queries.h"
#include "history/items.h"
#include "startup/system_text.h"

namespace gapscope {

namespace {

struct SwitchRule {
    std::string_view name;
    std::string_view prefixes;
    bool Switches::*flag;
};

constexpr std::array<SwitchRule, 7> kSwitchRules = {{
    {"s", "-/", &Switches::autoRun},
    {"neat", "-/", &Switches::neat},
    {"P", "-", &Switches::parallel},
    {"NOFY2C", "-", &Switches::noFy2c},
    {"NOMPE", "-", &Switches::noMpe},
    {"HIM", "-", &Switches::himawari},
    {"NOHIM", "-", &Switches::noHimawari},
}};

bool Matches(const SwitchRule& rule, std::string_view argument) {
    return !argument.empty() && rule.prefixes.find(argument.front()) != std::string_view::npos &&
           EqualsIgnoreCase(argument.substr(1), rule.name);
}

bool IsSeparator(char c) {
    return c == '/' || (std::filesystem::path::preferred_separator == '\\' && c == '\\');
}

std::string WithSeparator(std::string directory) {
    if (directory.empty() || !IsSeparator(directory.back())) {
        directory.push_back(static_cast<char>(std::filesystem::path::preferred_separator));
    }
    return directory;
}

// The logs in the order they are read, and where each goes; reading stops at the first one
// that cannot be read.
struct LogFile {
    std::string_view name;
    HistoryLog StartupState::*member;
};
constexpr std::array<LogFile, 3> kLogs = {{{"FileHistory.log", &StartupState::FileHistory},
                                           {"LateSegHistory.log", &StartupState::LateSegHistory},
                                           {"SegHistory.log", &StartupState::SegHistory}}};

LogReadResult ReadOnce(const std::filesystem::path& path, HistoryLog::Dates dates,
                       const StartupInputs& inputs, LogReadMark& mark) {
    mark = LogReadMark{};
    try {
        return inputs.readLog ? inputs.readLog(path) : ReadHistoryLog(path, dates, mark);
    } catch (const std::exception& e) {
        // Out of memory on a huge log and the like: it counts as not read.
        mark = LogReadMark{};
        return {LogReadStatus::Unreadable, e.what(), {}};
    }
}

LogReadResult ReadWithRetries(const std::filesystem::path& path, HistoryLog::Dates dates,
                              const StartupInputs& inputs, LogReadMark& mark) {
    return RetryWhileBusy(
        inputs.retry, [&] { return ReadOnce(path, dates, inputs, mark); },
        [](const LogReadResult& result) { return result.status == LogReadStatus::Busy; });
}

// Only the segment history is asked whether it holds a date.
HistoryLog::Dates DatesOf(const LogFile& log) {
    return log.member == &StartupState::SegHistory ? HistoryLog::Dates::Collect
                                                   : HistoryLog::Dates::Search;
}

bool AnyLogFound(const std::string& dataDirectory) {
    for (const LogFile& log : kLogs) {
        std::error_code error;
        if (std::filesystem::exists(PathFromText(dataDirectory + std::string(log.name)), error))
            return true;
    }
    return false;
}

void SetUnreadable(StartupLoad& load, const LogFile& log, LogReadStatus status,
                   std::string reason) {
    load.logsLoaded = false;
    load.unreadableLog = log.name;
    load.unreadableStatus = status;
    load.unreadableReason = std::move(reason);
    // A log's own permissions never stop it being examined; the folder's do, and then every
    // log in it is out of reach: the folder is what cannot be read.
    std::error_code error;
    const auto examined = std::filesystem::status(
        PathFromText(load.state.DataDirectory + std::string(log.name)), error);
    if (examined.type() == std::filesystem::file_type::none &&
        error == std::errc::permission_denied) {
        load.unreadableLog.clear();
        load.unreadableReason = error.message();
    }
}

// How lines read of a log before a refresh were lost, when the refresh read it whole and
// found fewer lines; nullopt when none were. A log rewritten with what it held and more (a
// file of one line a day, its last line growing) loses nothing.
std::optional<LogLoss::How> HowLost(const LogReadMark& before, std::size_t linesBefore,
                                    const LogRefresh& read, const LogReadMark& after,
                                    std::size_t linesAfter) {
    if (!read.afresh || linesAfter >= linesBefore) return std::nullopt;
    if (read.status == LogReadStatus::Missing) return LogLoss::How::Removed;
    // A log read up to an unfinished line has no mark to tell its file by.
    const bool known = before.identity != FileIdentity{};
    if (known && after.identity != before.identity) return LogLoss::How::Replaced;
    return LogLoss::How::CutShorter;
}

}  // namespace

Switches ParseSwitches(const std::vector<std::string>& arguments) {
    Switches switches;
    for (const std::string& argument : arguments) {
        for (const SwitchRule& rule : kSwitchRules) {
            if (Matches(rule, argument)) switches.*rule.flag = true;
        }
    }
    return switches;
}

bool IsSwitch(std::string_view argument) {
    for (const SwitchRule& rule : kSwitchRules) {
        if (Matches(rule, argument)) return true;
    }
    return false;
}

std::optional<std::string> WhyNotASwitch(std::string_view argument) {
    if (argument.size() < 2 || IsSwitch(argument)) return std::nullopt;
    for (const SwitchRule& rule : kSwitchRules) {
        if (!EqualsIgnoreCase(argument.substr(1), rule.name)) continue;
        if (argument.front() != '-' && argument.front() != '/') continue;
        std::string why = "'";
        why.append(argument);
        why.append("' is not a switch (");
        why.append(rule.name);
        why.append(" takes '-' only)");
        return why;
    }
    return std::nullopt;
}

std::string NormaliseComputerName(const std::string& name) {
    std::string result = name;
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (!result.empty() && result.front() >= 'a' && result.front() <= 'z') {
        result.front() = static_cast<char>(result.front() - 'a' + 'A');
    }
    return result;
}

std::string ResolveDataDirectory(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& programDirectory) {
    if (!arguments.empty() && !arguments.front().empty()) {
        std::error_code error;
        if (std::filesystem::is_directory(PathFromText(arguments.front()), error)) {
            return WithSeparator(arguments.front());
        }
    }
    // An unknown program directory must not turn into the file-system root.
    const std::string own = programDirectory.empty() ? "." : TextOfPath(programDirectory);
    return WithSeparator(own);
}

void DeriveStartupFlags(StartupState& state, std::optional<MinuteTime> now) {
    SegHistoryScan scan;
    DeriveStartupFlags(state, scan, now);
}

void DeriveStartupFlags(StartupState& state, SegHistoryScan& scan, std::optional<MinuteTime> now) {
    const HistoryLog& seg = state.SegHistory;
    const bool later = now && scan.now && *now >= *scan.now;
    if (scan.lines > seg.LineCount() || (scan.lines > 0 && now != scan.now && !later))
        scan = SegHistoryScan{};
    const auto noteInTime = [&](MinuteTime key) {
        if (!scan.earliest || key < *scan.earliest) scan.earliest = key;
        if (!scan.newest || key > *scan.newest) scan.newest = key;
    };
    // Keys that were after the time of the last scan and are not now.
    std::erase_if(scan.later, [&](MinuteTime key) {
        if (now && key > *now) return false;
        noteInTime(key);
        return true;
    });
    const auto noteKey = [&](std::string_view line) {
        if (line.size() < 13 || line[12] != '=') return;
        const std::optional<MinuteTime> time = ParseMinuteKey(line.substr(0, 12));
        if (!time) return;
        if (now && *time > *now) {
            scan.later.push_back(*time);
        } else {
            noteInTime(*time);
        }
    };
    if (scan.lines == 0) {
        // The whole text at once, as fast as a search can go; rapid-scan keys win when a
        // history holds both kinds.
        scan.rapid = seg.TextContainsAny({"RP=", "RE=", "R9="});
        scan.rapidProlog = scan.rapid && seg.TextContains("RP=");
        scan.iodc = !scan.rapid && seg.TextContainsAny({"IP=", "IE=", "I9="});
        scan.iodcProlog = scan.iodc && seg.TextContains("IP=");
        scan.fy2c = seg.TextContains("67=") || seg.TextContains("71=");
        for (std::size_t i = 0; i < seg.LineCount(); ++i) noteKey(seg.Line(i));
    } else {
        // The new lines alone. A key that turns up first in them was in none of the lines
        // before, so that neither was the prolog's.
        const auto has = [](std::string_view line, std::string_view needle) {
            return line.find(needle) != std::string_view::npos;
        };
        for (std::size_t i = scan.lines; i < seg.LineCount(); ++i) {
            const std::string_view line = seg.Line(i);
            scan.rapid = scan.rapid || has(line, "RP=") || has(line, "RE=") || has(line, "R9=");
            scan.rapidProlog = scan.rapidProlog || (scan.rapid && has(line, "RP="));
            scan.iodc = scan.iodc ||
                        (!scan.rapid && (has(line, "IP=") || has(line, "IE=") || has(line, "I9=")));
            scan.iodcProlog = scan.iodcProlog || (scan.iodc && has(line, "IP="));
            scan.fy2c = scan.fy2c || has(line, "67=") || has(line, "71=");
            noteKey(line);
        }
    }
    scan.lines = seg.LineCount();
    scan.now = now;

    state.Mode = scan.rapid  ? ScanMode::RapidScan
                 : scan.iodc ? ScanMode::Iodc
                             : ScanMode::Prime;
    state.NoPrologCheck =
        (state.IsRapidScan() && !scan.rapidProlog) || (state.IsIodc() && !scan.iodcProlog);
    state.Fy2cSeen = !state.switches.noFy2c && scan.fy2c;
    state.FirstRecord = scan.earliest;
    state.AfterNow = {};
    for (const MinuteTime key : scan.later) {
        if (key <= *now + kClockSlack) continue;
        ++state.AfterNow.count;
        if (!state.AfterNow.newest || key > *state.AfterNow.newest) state.AfterNow.newest = key;
    }
}

StartupLoad LoadStartupState(const StartupInputs& inputs) {
    StartupLoad load;
    StartupState& state = load.state;
    state.DataDirectory = ResolveDataDirectory(inputs.arguments, inputs.programDirectory);
    state.switches = ParseSwitches(inputs.arguments);
    state.ComputerName = NormaliseComputerName(inputs.computerName.value_or(std::string{}));
    load.anyLogFound = AnyLogFound(state.DataDirectory);
    load.logsLoaded = true;
    for (std::size_t i = 0; i < kLogs.size(); ++i) {
        const LogFile& log = kLogs[i];
        LogReadResult read =
            ReadWithRetries(PathFromText(state.DataDirectory + std::string(log.name)),
                            DatesOf(log), inputs, load.marks[i]);
        if (read.status == LogReadStatus::Unreadable || read.status == LogReadStatus::Busy) {
            SetUnreadable(load, log, read.status, std::move(read.reason));
            break;
        }
        state.*log.member = std::move(read.log);
    }
    DeriveStartupFlags(state, load.segScan, inputs.now);
    return load;
}

StartupRefresh RefreshStartupLoad(StartupLoad& load, const StartupInputs& inputs) {
    StartupRefresh refresh;
    StartupState& state = load.state;
    struct Said {
        bool logsLoaded;
        std::string unreadableLog;
        LogReadStatus unreadableStatus;
        std::string unreadableReason;
    };
    const Said before{load.logsLoaded, load.unreadableLog, load.unreadableStatus,
                      load.unreadableReason};
    load.anyLogFound = AnyLogFound(state.DataDirectory);
    load.logsLoaded = true;
    load.unreadableLog.clear();
    load.unreadableStatus = LogReadStatus::Ok;
    load.unreadableReason.clear();
    bool stopped = false;
    for (std::size_t i = 0; i < kLogs.size(); ++i) {
        const LogFile& log = kLogs[i];
        HistoryLog& text = state.*log.member;
        // The segment history's scan goes on from its last line unless its lines were replaced.
        const auto replaced = [&] {
            if (log.member == &StartupState::SegHistory) load.segScan = SegHistoryScan{};
        };
        if (stopped) {
            replaced();
            // As at start-up: the logs after one that cannot be read stay empty.
            refresh.changed = refresh.changed || !text.Empty();
            text = HistoryLog{};
            load.marks[i] = LogReadMark{};
            continue;
        }
        const LogReadMark markBefore = load.marks[i];
        const std::size_t linesBefore = text.LineCount();
        LogRefresh read;
        try {
            read = RefreshHistoryLog(PathFromText(state.DataDirectory + std::string(log.name)),
                                     text, load.marks[i], DatesOf(log));
        } catch (const std::exception& e) {
            read = {LogReadStatus::Unreadable, e.what(), false};
        }
        if (read.status == LogReadStatus::Busy) {
            // What was said of the logs kept stands until they are read again.
            refresh.busyLog = std::string(log.name);
            load.logsLoaded = before.logsLoaded;
            load.unreadableLog = before.unreadableLog;
            load.unreadableStatus = before.unreadableStatus;
            load.unreadableReason = before.unreadableReason;
            break;
        }
        // An empty log is read whole at every look, and is no change while it stays empty.
        const bool stillEmpty = linesBefore == 0 && text.Empty();
        refresh.changed = refresh.changed || (read.changed && !stillEmpty);
        if (read.afresh) replaced();
        if (const auto how =
                HowLost(markBefore, linesBefore, read, load.marks[i], text.LineCount()))
            refresh.lost.push_back({std::string(log.name), *how});
        if (read.status == LogReadStatus::Unreadable) {
            replaced();
            SetUnreadable(load, log, read.status, std::move(read.reason));
            refresh.changed = refresh.changed || before.logsLoaded || !text.Empty();
            text = HistoryLog{};
            load.marks[i] = LogReadMark{};
            stopped = true;
        }
    }
    DeriveStartupFlags(state, load.segScan, inputs.now);
    return refresh;
}

std::string UnreadableName(const StartupLoad& load) {
    if (load.logsLoaded) return {};
    if (load.unreadableLog.empty()) return "the folder " + load.state.DataDirectory;
    return load.state.DataDirectory + load.unreadableLog;
}

std::optional<MinuteTime> NewestSegRecord(const StartupLoad& load) {
    const HistoryLog& seg = load.state.SegHistory;
    return load.segScan.lines == seg.LineCount() ? load.segScan.newest
                                                 : NewestRecord(seg, load.segScan.now);
}

}  // namespace gapscope
