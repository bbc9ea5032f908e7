#pragma once

#include <chrono>
#include <string>

namespace gapscope {

using Day = std::chrono::sys_days;

// Minute of the day, 0..1439.
inline constexpr int kMinutesPerDay = 1440;

// "yyyymmddhhnn" of day + minute/1440 (the minute keys of the segment histories).
std::string MinuteKey(Day day, int minute);
// "yyyymmdd" (FileHistory.log day prefix, day search in SegHistory.log).
std::string CompactDate(Day day);
// "yyyy-mm-dd" (process.log line starts, report file names).
std::string IsoDate(Day day);
// Day of the year, 1..366.
int DayOfYear(Day day);

}  // namespace gapscope
