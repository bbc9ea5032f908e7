#pragma once

// Which cycles of a day a report may judge: the one decision every view reads. A cycle that
// starts before the first record of the segment history was never expected to be on record
// (before the logs begin); on the current day a cycle is due once its start is at or before
// the current minute less a grace period; earlier days are wholly due. A cycle that is not
// judged is never missing.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "history/time_keys.h"

namespace gapscope {

// How long a cycle is given to arrive before it counts as due.
inline constexpr std::chrono::minutes kDefaultGrace{30};

struct JudgedMinutes {
    int first = 0;                  // earlier minutes are before the logs begin
    int last = kMinutesPerDay - 1;  // later minutes are not yet due; -1: none is
    // The day of the current minute, which is not over yet.
    bool current = false;

    bool Judges(int minute) const { return minute >= first && minute <= last; }
    bool BeforeLogsBegin(int minute) const { return minute < first; }
    bool NotYetDue(int minute) const { return minute >= first && minute > last; }
    // Whether the late list names the minute: late records are of the late-segment history
    // alone, and stand before the logs begin as after; only the time not yet due hides them.
    bool LateListed(int minute) const { return minute <= last; }
    // The day is over: wholly due, and not the current day.
    bool Over() const { return !current && last == kMinutesPerDay - 1; }
    // Nothing of the day is on record, nor ever was expected to be.
    bool WhollyBeforeLogsBegin() const { return first >= kMinutesPerDay; }
    bool NothingDue() const { return last < first; }
    friend bool operator==(const JudgedMinutes&, const JudgedMinutes&) = default;
};

// The current minute less the grace period: the last minute whose cycles are due.
MinuteTime LastDueMinute(MinuteTime now, std::chrono::minutes grace = kDefaultGrace);

// Whether the whole day lies before the first record (every day does when there is none).
bool DayBeforeLogsBegin(Day day, const std::optional<MinuteTime>& firstRecord);
// Whether the day is after the day of the current minute.
bool DayNotBegun(Day day, MinuteTime now);
// Whether records of the day may still arrive: some minute of it is not yet due at `now`
// (the current day and later ones, and the day before until its last minute is due), so
// that what its logs say of it can still change.
bool DayStillArriving(Day day, MinuteTime now, std::chrono::minutes grace = kDefaultGrace);

// The minutes of `day` a report judges. `now`: the current minute; none: every day is over.
JudgedMinutes JudgeMinutes(Day day, const std::optional<MinuteTime>& firstRecord,
                           const std::optional<MinuteTime>& now,
                           std::chrono::minutes grace = kDefaultGrace);

// The closing lines of the missing-cycles list that say what was not judged:
//   "  (before the logs begin: first record yyyy-mm-dd hh:nn UTC)", or with no record at all
//   "  (before the logs begin: no record in the segment history)";
//   "  (judged up to hh:nn UTC; later cycles are not yet due)" on the current day, or
//   "  (not yet judged: no cycle of the day is due yet)" before its first cycle is due.
std::string BeforeLogsBeginLine(const std::optional<MinuteTime>& firstRecord);
std::string JudgedUpToLine(Day day, const JudgedMinutes& judged);
// Whether a line of a report is one of JudgedUpToLine's: the report was made while its day
// was still going on.
bool IsJudgedUpToLine(std::string_view line);

// "yyyy-mm-dd hh:nn UTC".
std::string UtcTimeText(MinuteTime time);

}  // namespace gapscope
