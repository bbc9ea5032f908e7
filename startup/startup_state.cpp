#include "startup/startup_state.h"

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <span>
#include <string_view>
#include <system_error>

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

// What the start-up flags ask of the segment history's text, in the order of Needle.
enum Needle { kIp, kIe, kI9, kRp, kRe, kR9, kFy2c67, kFy2c71 };
constexpr std::array<std::string_view, 8> kSegNeedles = {
    "IP=", "IE=", "I9=", "RP=", "RE=", "R9=", "67=", "71="};

// The logs in order: one that cannot be read stops the rest.
struct LogFile {
    const char* name;
    HistoryLog StartupState::*log;
    // What the report asks of the whole text: the segment history is asked whether it
    // holds the report day and the start-up needles; the others only for keys.
    LogPreparation prepare;
};
constexpr std::array<LogFile, 3> kLogFiles = {{
    {"FileHistory.log", &StartupState::FileHistory, {.dates = false, .needles = {}}},
    {"LateSegHistory.log", &StartupState::LateSegHistory, {.dates = false, .needles = {}}},
    {"SegHistory.log", &StartupState::SegHistory, {.dates = true, .needles = kSegNeedles}},
}};
// By far the largest: the others are read alongside it.
constexpr std::size_t kLargestLog = 2;

bool LoadLogs(StartupState& state) {
    struct Loaded {
        bool read = false;  // neither unreadable nor failed (out of memory and the like)
        LogReadResult result;
    };
    std::array<Loaded, kLogFiles.size()> loaded;
    const auto load = [&](std::size_t i, const std::function<void()>& alongside) {
        try {
            loaded[i].result = ReadHistoryLog(PathFromText(state.DataDirectory + kLogFiles[i].name),
                                              kLogFiles[i].prepare, alongside);
            loaded[i].read = loaded[i].result.status != LogReadStatus::Unreadable;
        } catch (const std::exception&) {
            // Out of memory on a huge log and the like: it counts as not read.
        }
    };
    bool othersTried = false;
    const auto loadOthers = [&] {
        othersTried = true;
        for (std::size_t i = 0; i < kLogFiles.size(); ++i) {
            if (i != kLargestLog) load(i, {});
        }
    };
    load(kLargestLog, loadOthers);
    if (!othersTried) loadOthers();
    // The logs before one that could not be read are kept; it and those after stay empty.
    for (std::size_t i = 0; i < kLogFiles.size(); ++i) {
        if (!loaded[i].read) return false;
        state.*kLogFiles[i].log = std::move(loaded[i].result.log);
    }
    return true;
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

bool IsSwitch(const std::string& argument) {
    for (const SwitchRule& rule : kSwitchRules) {
        if (Matches(rule, argument)) return true;
    }
    return false;
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

void DeriveStartupFlags(StartupState& state, const Switches& switches) {
    // One pass over the segment history answers every question asked of its text; a log
    // loaded from disk has made it already.
    const std::uint32_t found = state.SegHistory.TextContainsEach(kSegNeedles);
    const auto has = [found](Needle needle) { return ((found >> needle) & 1u) != 0; };

    state.ParallelMode = switches.parallel;
    state.Mode = ScanMode::Prime;
    if (has(kIp) || has(kIe) || has(kI9)) state.Mode = ScanMode::Iodc;
    // Rapid-scan keys win when a history holds both kinds.
    if (has(kRp) || has(kRe) || has(kR9)) state.Mode = ScanMode::RapidScan;
    state.NoPrologCheck = (state.IsRapidScan() && !has(kRp)) || (state.IsIodc() && !has(kIp));
    state.Fy2cSeen = !switches.noFy2c && (has(kFy2c67) || has(kFy2c71));
    state.NoMpe = switches.noMpe;
    state.HimawariMode = switches.himawari;
    state.NoHimawari = switches.noHimawari;
    state.NeatMode = switches.neat;
}

StartupResult LoadStartupState(const StartupInputs& inputs) {
    StartupResult result;
    StartupState& state = result.state;
    state.ComputerName = NormaliseComputerName(inputs.computerName.value_or(std::string{}));
    state.DataDirectory = ResolveDataDirectory(inputs.arguments, inputs.programDirectory);
    result.switches = ParseSwitches(inputs.arguments);
    result.logsLoaded = LoadLogs(state);
    DeriveStartupFlags(state, result.switches);
    return result;
}

}  // namespace gapscope
