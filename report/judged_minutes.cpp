#include "report/judged_minutes.h"

#include <algorithm>

namespace gapscope {

using std::chrono::days;
using std::chrono::minutes;

MinuteTime LastDueMinute(MinuteTime now, minutes grace) {
    return now - grace;
}

bool DayBeforeLogsBegin(Day day, const std::optional<MinuteTime>& firstRecord) {
    return !firstRecord || MinuteTime{day + days{1}} <= *firstRecord;
}

bool DayNotBegun(Day day, MinuteTime now) {
    return MinuteTime{day} > now;
}

bool DayStillArriving(Day day, MinuteTime now, minutes grace) {
    return LastDueMinute(now, grace) < MinuteTime{day + days{1}} - minutes{1};
}

JudgedMinutes JudgeMinutes(Day day, const std::optional<MinuteTime>& firstRecord,
                           const std::optional<MinuteTime>& now, minutes grace) {
    const MinuteTime start{day};
    const auto minuteOf = [&](MinuteTime time) {
        return static_cast<int>(std::clamp<long long>((time - start).count(), -1, kMinutesPerDay));
    };
    JudgedMinutes judged;
    if (DayBeforeLogsBegin(day, firstRecord)) {
        judged.first = kMinutesPerDay;
    } else {
        judged.first = std::max(0, minuteOf(*firstRecord));
    }
    if (!now) return judged;
    const Day today = std::chrono::floor<days>(*now);
    judged.current = day == today;
    // Earlier days are wholly due, whatever the grace: a day's report never changes once
    // the day is over.
    if (day > today) judged.last = -1;
    if (day == today)
        judged.last = std::min(kMinutesPerDay - 1, minuteOf(LastDueMinute(*now, grace)));
    return judged;
}

std::string UtcTimeText(MinuteTime time) {
    return IsoDate(std::chrono::floor<days>(time)) + " " + ClockTime(time) + " UTC";
}

std::string BeforeLogsBeginLine(const std::optional<MinuteTime>& firstRecord) {
    if (!firstRecord) return "  (before the logs begin: no record in the segment history)";
    return "  (before the logs begin: first record " + UtcTimeText(*firstRecord) + ")";
}

namespace {
constexpr std::string_view kNothingDueYet = "  (not yet judged: no cycle of the day is due yet)";
constexpr std::string_view kJudgedUpTo = "  (judged up to ";
constexpr std::string_view kLaterNotYetDue = " UTC; later cycles are not yet due)";
}  // namespace

std::string JudgedUpToLine(Day day, const JudgedMinutes& judged) {
    if (judged.last < 0) return std::string(kNothingDueYet);
    return std::string(kJudgedUpTo) + ClockTime(MinuteTime{day} + minutes{judged.last}) +
           std::string(kLaterNotYetDue);
}

bool IsJudgedUpToLine(std::string_view line) {
    return line == kNothingDueYet ||
           (line.starts_with(kJudgedUpTo) && line.ends_with(kLaterNotYetDue));
}

}  // namespace gapscope
