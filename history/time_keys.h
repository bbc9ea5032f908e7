#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace gapscope {

using Day = std::chrono::sys_days;
// A UTC minute.
using MinuteTime = std::chrono::sys_time<std::chrono::minutes>;

// Minute of the day, 0..1439.
inline constexpr int kMinutesPerDay = 1440;

// The days a date or time given from outside (the command line, the environment) may name:
// from the start of the system clock's era (no station log is older) to the last that four
// digits of a year can write.
inline constexpr Day kFirstGivenDay{std::chrono::year{1970} / 1 / 1};
inline constexpr Day kLastGivenDay{std::chrono::year{9999} / 12 / 31};

// "yyyymmddhhnn" of day + minute/1440 (the minute keys of the segment histories).
std::string MinuteKey(Day day, int minute);
// "yyyymmdd" (FileHistory.log day prefix, day search in SegHistory.log).
std::string CompactDate(Day day);
// "yyyy-mm-dd" (process.log line starts, report file names).
std::string IsoDate(Day day);
// "hh:mm" of the minute within its day.
std::string ClockTime(MinuteTime time);
// Day of the year, 1..366.
int DayOfYear(Day day);

// The day or minute such a text names, when it is a real one written with exactly these
// digits; nullopt otherwise.
std::optional<Day> ParseIsoDate(std::string_view text);          // "yyyy-mm-dd"
std::optional<Day> ParseCompactDate(std::string_view text);      // "yyyymmdd"
std::optional<MinuteTime> ParseIsoMinute(std::string_view text); // "yyyy-mm-ddThh:mm"
std::optional<MinuteTime> ParseMinuteKey(std::string_view text); // "yyyymmddhhnn"

}  // namespace gapscope
