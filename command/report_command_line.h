#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "history/time_keys.h"
#include "report/day_report.h"
#include "report/report_options.h"

namespace gapscope {

// "today" and "yesterday", in any letter case, wherever a day is taken.
enum class DayWord { Today, Yesterday };
std::optional<DayWord> DayWordOf(std::string_view text);
// The day the word stands for on `today`.
Day DayOfWord(DayWord word, Day today);

// What the command line of gapscope-report asks for. Which options go together is decided
// by the command's modes, not here.
struct ReportRequest {
    std::optional<std::string> dataDirectory;  // DATA_DIR, wherever it stands
    std::vector<std::string> switches;         // the window's switches, as given
    std::vector<std::string> given;            // long names of the options given ("--save")
    std::optional<Day> day;
    std::optional<Day> from;
    std::optional<Day> to;
    std::optional<MinuteTime> now;  // --now: the current minute, UTC, for tests and replays
    std::vector<std::pair<OptionField, bool>> settings;  // --set, in the order given
    std::optional<std::string> picture;  // --picture FILE (not in the Windows build)
    bool json = false;  // --format json
    // Monitoring: the thresholds of --check ("NAME=RANGE" as given), --grace, --station,
    // --metrics-file. --check and --format prometheus are modes, found in `given`.
    bool today = false;      // --day today: the current day, whatever the clock says it is
    // Days given as a word, which the current time (--now) decides; `day`, `from` and `to`
    // then hold nothing until the command sets them.
    std::optional<DayWord> dayWord;
    std::optional<DayWord> fromWord;
    std::optional<DayWord> toWord;
    std::optional<int> grace;
    std::vector<std::string> warning;
    std::vector<std::string> critical;
    std::optional<std::string> station;
    std::optional<std::string> metricsFile;
    bool defaults = false;
    bool overwrite = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// The window's switches are taken out first by their own rule, so that the parser sees
// only the options and the folder. On bad usage returns nullopt and sets `error`.
std::optional<ReportRequest> ParseReportCommandLine(const std::vector<std::string>& arguments,
                                                    std::string& error);

// The options that ask for a mode of the command (none: the printed report) and the options
// it goes with, under the name the modes table of --help gives it.
struct ModeOptions {
    std::string_view name;
    std::vector<std::string_view> askedBy;
    std::vector<std::string_view> takes;
};

// The lines that show how the command is called, and the whole text of --help.
std::string ReportUsage();
std::string ReportHelpText(const std::vector<ModeOptions>& modes);
// "--from --save".
std::string JoinedOptions(const std::vector<std::string_view>& options);

}  // namespace gapscope
