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
                       const StartupInputs& inputs) {
    try {
        return inputs.readLog ? inputs.readLog(path) : ReadHistoryLog(path, dates);
    } catch (const std::exception& e) {
        // Out of memory on a huge log and the like: it counts as not read.
        return {LogReadStatus::Unreadable, e.what(), {}};
    }
}

LogReadResult ReadWithRetries(const std::filesystem::path& path, HistoryLog::Dates dates,
                              const StartupInputs& inputs) {
    return RetryWhileBusy(
        inputs.retry, [&] { return ReadOnce(path, dates, inputs); },
        [](const LogReadResult& result) { return result.status == LogReadStatus::Busy; });
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
    const HistoryLog& seg = state.SegHistory;
    // Rapid-scan keys win when a history holds both kinds.
    if (seg.TextContainsAny({"RP=", "RE=", "R9="})) {
        state.Mode = ScanMode::RapidScan;
    } else if (seg.TextContainsAny({"IP=", "IE=", "I9="})) {
        state.Mode = ScanMode::Iodc;
    } else {
        state.Mode = ScanMode::Prime;
    }
    state.NoPrologCheck = (state.IsRapidScan() && !seg.TextContains("RP=")) ||
                          (state.IsIodc() && !seg.TextContains("IP="));
    state.Fy2cSeen = !state.switches.noFy2c && (seg.TextContains("67=") || seg.TextContains("71="));
    state.FirstRecord = EarliestRecord(seg, now);
}

StartupLoad LoadStartupState(const StartupInputs& inputs) {
    StartupLoad load;
    StartupState& state = load.state;
    state.DataDirectory = ResolveDataDirectory(inputs.arguments, inputs.programDirectory);
    state.switches = ParseSwitches(inputs.arguments);
    state.ComputerName = NormaliseComputerName(inputs.computerName.value_or(std::string{}));
    for (const LogFile& log : kLogs) {
        std::error_code error;
        const std::string path = state.DataDirectory + std::string(log.name);
        if (std::filesystem::exists(PathFromText(path), error)) load.anyLogFound = true;
    }
    load.logsLoaded = true;
    for (const LogFile& log : kLogs) {
        // Only the segment history is asked whether it holds a date.
        const auto dates = log.member == &StartupState::SegHistory ? HistoryLog::Dates::Collect
                                                                    : HistoryLog::Dates::Search;
        LogReadResult read = ReadWithRetries(
            PathFromText(state.DataDirectory + std::string(log.name)), dates, inputs);
        if (read.status == LogReadStatus::Unreadable || read.status == LogReadStatus::Busy) {
            load.logsLoaded = false;
            load.unreadableLog = log.name;
            load.unreadableStatus = read.status;
            load.unreadableReason = std::move(read.reason);
            break;
        }
        state.*log.member = std::move(read.log);
    }
    DeriveStartupFlags(state, inputs.now);
    return load;
}

}  // namespace gapscope
