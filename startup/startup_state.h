#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "history/history_log.h"

namespace gapscope {

enum class ScanMode { Prime = 0, RapidScan = 1, Iodc = 2 };

// Values fixed once when the program starts and only read afterwards.
struct StartupState {
    std::string DataDirectory;  // always ends in a path separator
    std::string ComputerName;
    HistoryLog FileHistory;
    HistoryLog LateSegHistory;
    HistoryLog SegHistory;
    ScanMode Mode = ScanMode::Prime;
    bool NoPrologCheck = false;
    bool ParallelMode = false;
    bool Fy2cSeen = false;
    bool NoMpe = false;
    bool HimawariMode = false;
    bool NoHimawari = false;
    bool NeatMode = false;
    bool AutoRunning = false;

    bool IsRapidScan() const { return Mode == ScanMode::RapidScan; }
    bool IsIodc() const { return Mode == ScanMode::Iodc; }
};

// Everything the start-up reads from outside the core.
struct StartupInputs {
    std::vector<std::string> arguments;  // command-line arguments, program name excluded
    std::filesystem::path programDirectory;
    // COMPUTERNAME when set (even empty), otherwise the host name; nullopt: no name at all.
    std::optional<std::string> computerName;
};

// Command-line switch rules: a switch matches an argument whose first character is one
// of its prefix characters and whose rest is the switch name, letter case ignored.
struct Switches {
    bool autoRun = false;  // "s", '-' or '/'
    bool neat = false;     // "neat", '-' or '/'
    bool parallel = false; // "P", '-' only
    bool noFy2c = false;   // "NOFY2C", '-' only
    bool noMpe = false;    // "NOMPE", '-' only
    bool himawari = false; // "HIM", '-' only
    bool noHimawari = false; // "NOHIM", '-' only
};
Switches ParseSwitches(const std::vector<std::string>& arguments);
// True when the argument names one of the switches above.
bool IsSwitch(const std::string& argument);

// "STATION7" -> "Station7": ASCII letters lowered, then a leading a..z raised.
std::string NormaliseComputerName(const std::string& name);

// Directory of the logs: the first argument when it names an existing directory, else the
// program's directory; always ends in a separator.
std::string ResolveDataDirectory(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& programDirectory);

// What the start-up derives from the text of the segment history and the switches.
void DeriveStartupFlags(StartupState& state, const Switches& switches);

// The full show step without a window: data directory, logs read in the order
// FileHistory, LateSegHistory, SegHistory inside one guard (an unreadable one leaves it
// and the later ones empty), then the flags. `logsLoaded` tells whether the guard passed.
struct StartupResult {
    StartupState state;
    Switches switches;
    bool logsLoaded = false;
};
StartupResult LoadStartupState(const StartupInputs& inputs);

}  // namespace gapscope
