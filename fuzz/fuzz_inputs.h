#pragma once

// What each fuzz target does with one input, kept apart from libFuzzer's entry point so
// that the unit tests can replay every seed and every input that once broke the build.
// Each check runs the code under test on the input and compares it with properties that
// must hold for any input; it returns the first broken one, or nothing.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "history/time_keys.h"
#include "report/report_options.h"
#include "startup/startup_state.h"

namespace gapscope::fuzz {

using Finding = std::optional<std::string>;

// Whether the text is well-formed UTF-8 (no over-long forms, surrogates or code points past
// U+10FFFF), judged apart from the code under test.
bool WellFormedUtf8(std::string_view text);

// The bytes as a whole log file: decoding, lines, key look-ups and the whole-text searches.
Finding CheckHistoryLogInput(std::string_view bytes);

// The bytes as one minute record: item lists, the MSG/other split, masks and segment lists.
Finding CheckRecordInput(std::string_view bytes);

// A whole report run. `scratchDirectory` is a private directory that receives process.log.
Finding CheckDayReportInput(std::string_view bytes, const std::filesystem::path& scratchDirectory);

// The bytes as gapscope-report's arguments, split at NUL bytes, and as GAPSCOPE_BUSY_WAIT:
// the parser's request, the thresholds and the check's line.
Finding CheckCommandLineInput(std::string_view bytes);

// How a day-report input is laid out: five header bytes (options, switches, day), then
// SegHistory.log, LateSegHistory.log, FileHistory.log and process.log, in that order,
// separated by kPartSeparator. Fewer parts leave the later logs missing. In every part
// "%D" stands for the report day as "yyyymmdd" and "%I" as "yyyy-mm-dd", so that short
// inputs reach the day's records.
inline constexpr std::string_view kPartSeparator = "\n\x1e\n";
inline constexpr std::size_t kHeaderBytes = 5;

struct DayReportInput {
    ReportOptions options;
    Switches switches;
    Day day{};
    std::string segHistory;
    std::string lateSegHistory;
    std::string fileHistory;
    std::optional<std::string> processLog;  // nullopt: no process.log at all
};

DayReportInput DecodeDayReportInput(std::string_view bytes);

// The inverse, for writing seeds: the header bytes for the options, switches and day
// (days outside the fuzzed range are brought into it) followed by the parts.
std::string EncodeDayReportInput(const DayReportInput& input);

}  // namespace gapscope::fuzz
