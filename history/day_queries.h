#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "catalogue/channel_set.h"
#include "history/history_log.h"
#include "history/time_keys.h"

namespace gapscope {

// Whether any record of SegHistory at minutes 0, step, 2*step ... of `day` names a channel
// of the set (plain channel number as key, whatever the service).
bool ChannelsSeenOnDay(const HistoryLog& segHistory, Day day, const ChannelSet& channels, int step);

using RecordTime = std::chrono::sys_time<std::chrono::minutes>;

// The latest minute of a record in a segment or late-segment history: the greatest key of
// twelve digits that reads as a real date and time ("yyyymmddhhnn"); nullopt when none.
std::optional<RecordTime> NewestRecord(const HistoryLog& log);

// Whether the segment history mentions the day ("yyyymmdd") anywhere in its text.
bool DayInSegHistory(const HistoryLog& segHistory, Day day);

// Whether `day` was a rapid-scan fill-in (partial scan) day by the lines of process.log.
bool IsPartialScanDayInLines(const std::vector<std::string_view>& processLines, Day day);
// Reads dataDirectory/process.log anew and answers as above; unreadable means no lines.
bool IsPartialScanDay(const std::filesystem::path& dataDirectory, Day day);

}  // namespace gapscope
