#pragma once

// The station's health as a check of the monitoring-plugin kind (Nagios, Icinga, Naemon and
// the like): one line "GAPSCOPE STATE - summary | performance data", the state as the exit
// status.

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "measures/day_measures.h"
#include "report/day_report.h"

namespace gapscope {

enum class CheckState { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };
std::string_view CheckStateName(CheckState state);  // "OK", "WARNING", ...

// A threshold in the plugins' range syntax, which alerts when the value lies outside
// start..end (both included), or inside it when written with '@': "10" is 0..10, "10:" is
// 10..infinity, "~:10" is -infinity..10, "10:20", "@10:20".
struct AlertRange {
    double start = 0;
    double end = 0;
    bool inside = false;
    std::string text;  // as written, for the performance data

    bool Alerts(double value) const;
};
// nullopt when the text is no range (or its start lies above its end).
std::optional<AlertRange> ParseAlertRange(std::string_view text);

// What a check judges, in the order of its performance data.
enum class Measure {
    MissingCycles,
    ConsecutiveMissingCycles,
    MissingChannels,
    MissingWholeChannels,
    ConsecutiveMissingWholeChannel,
    MissingSegments,
    MissingSegmentsPercent,
    LateSegments,
    MissingProducts,
    MissingSequenceNumbers,
    LastRecordAge,    // the current day only
    RecordsAfterNow,  // the current day only
};
inline constexpr std::size_t kMeasureCount = 12;

// The warning and the critical range of each measure; a measure without one never alerts.
struct Thresholds {
    std::array<std::optional<AlertRange>, kMeasureCount> warning;
    std::array<std::optional<AlertRange>, kMeasureCount> critical;
};
Thresholds DefaultThresholds();
// Sets a range per measure from "NAME=RANGE" texts (--warning, --critical); "NAME=" takes
// the measure's range away. The reason when a text names no measure or holds no range.
std::optional<std::string> SetThresholds(const std::vector<std::string>& texts, bool critical,
                                         Thresholds& thresholds);

// The measures, their default thresholds and the range syntax, for --help.
std::string CheckHelpText();

// What a check judges.
struct DayCheck {
    Day day{};
    DayMeasures measures;
    // The cycles are judged up to this minute, the later ones are not yet due.
    MinuteTime dueUntil{};
    // Watching the station live (the current day was asked for, whichever day that
    // judges): the age of the newest record of the segment history, and the records stamped
    // after now, are judged too.
    bool live = false;
    std::optional<MinuteTime> newestRecord;
    RecordsAfterNow afterNow;
    std::chrono::sys_seconds now{};
    // Nothing of the day is on record: it lies before the first record of the logs.
    bool beforeLogsBegin = false;
};
// The check of a report run's findings, judged up to the last minute the run judged.
DayCheck CheckOf(const Findings& findings, bool live, std::optional<MinuteTime> newestRecord,
                 std::chrono::sys_seconds now);

struct CheckResult {
    CheckState state = CheckState::Unknown;
    // Without its line end; with it, under 1,000 bytes, which every NRPE passes whole.
    std::string line;
};
CheckResult JudgeDay(const DayCheck& check, const Thresholds& thresholds);
// A check that cannot judge the day: the reason in the summary, no performance data.
CheckResult UnknownCheck(const std::string& reason);

}  // namespace gapscope
