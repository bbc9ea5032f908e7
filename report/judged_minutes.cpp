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

std::string JudgedUpToLine(Day day, const JudgedMinutes& judged) {
    if (judged.last < 0) return "  (not yet judged: no cycle of the day is due yet)";
    return "  (judged up to " + ClockTime(MinuteTime{day} + minutes{judged.last}) +
           " UTC; later cycles are not yet due)";
}

}  // namespace gapscope
