#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/channel_set.h"
#include "history/history_log.h"
#include "history/time_keys.h"

namespace gapscope {

// Whether any record of SegHistory at minutes 0, step, 2*step ... of `day` names a channel
// of the set (plain channel number as key, whatever the service).
bool ChannelsSeenOnDay(const HistoryLog& segHistory, Day day, const ChannelSet& channels, int step);

// The latest minute of a record in a segment or late-segment history: the greatest key of
// twelve digits that reads as a real date and time ("yyyymmddhhnn"); keys after `notAfter`
// (a clock set wrong) are left out. nullopt when none.
std::optional<MinuteTime> NewestRecord(const HistoryLog& log,
                                       std::optional<MinuteTime> notAfter = std::nullopt);

// The earliest minute of a record in a segment history, by the same rule as NewestRecord;
// keys after `notAfter` (a clock set wrong, a replay) are left out. nullopt when none.
std::optional<MinuteTime> EarliestRecord(const HistoryLog& log,
                                         std::optional<MinuteTime> notAfter = std::nullopt);

// Whether the segment history mentions the day ("yyyymmdd") anywhere in its text.
bool DayInSegHistory(const HistoryLog& segHistory, Day day);

// Whether `day` was a rapid-scan fill-in (partial scan) day by dataDirectory/process.log,
// read anew; unreadable means no lines.
bool IsPartialScanDay(const std::filesystem::path& dataDirectory, Day day);

// What process.log says about each day it names, read once for any number of days. A day
// was a fill-in day unless both a morning and a midday save note name it, or when a line of
// 08 or 10 o'clock that day (not among the last two lines) carries the rapid-scan file name
// of the satellite of its year.
class ProcessLogDays {
  public:
    ProcessLogDays() = default;  // no lines: every day is a fill-in day
    static ProcessLogDays FromLines(const std::vector<std::string_view>& processLines);
    // Reads dataDirectory/process.log; unreadable means no lines.
    static ProcessLogDays Read(const std::filesystem::path& dataDirectory);

    bool IsPartialScanDay(Day day) const;

  private:
    struct DayMarks {
        bool msg1Marker = false;  // a marker line of the first satellite at 08 or 10 o'clock
        bool msg2Marker = false;
        bool morningSave = false;
        bool middaySave = false;
    };
    std::unordered_map<int, DayMarks> days_;  // by days since 1970-01-01
};

}  // namespace gapscope
