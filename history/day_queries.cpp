#include "history/day_queries.h"

#include <array>
#include <chrono>
#include <string>

#include "catalogue/calendar_rules.h"
#include "history/items.h"
#include "history/log_text.h"

namespace gapscope {

namespace {

// Save notes of the morning and midday MPEF products; a day with a note from each
// group had the full-disk products and so was no fill-in day.
constexpr std::array<std::string_view, 6> kMorningSaves = {"0240-fir", "0310-fir", "0320-mpe",
                                                           "0450-mpe", "0410-rii", "0510-rii"};
constexpr std::array<std::string_view, 6> kMiddaySaves = {"1140-fir", "1210-fir", "1220-mpe",
                                                          "1350-mpe", "1310-rii", "1410-rii"};

constexpr std::string_view kMsg1RapidScanMarker = "H-000-MSG1__-MSG1_RSS";
constexpr std::string_view kMsg2RapidScanMarker = "H-000-MSG2__-MSG2_RSS";

template <std::size_t N>
bool AnyOf(const std::array<std::string_view, N>& tails, std::string_view tail) {
    for (const std::string_view t : tails) {
        if (t == tail) return true;
    }
    return false;
}

}  // namespace

bool ChannelsSeenOnDay(const HistoryLog& segHistory, Day day, const ChannelSet& channels,
                       int step) {
    if (step <= 0) return false;
    for (int minute = 0; minute < kMinutesPerDay; minute += step) {
        const std::string_view record = segHistory.ValueOf(MinuteKey(day, minute));
        if (record.empty()) continue;
        const ItemList items = ParseItems(record);
        for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
            if (channels.Contains(n) && !ValueOf(items, std::to_string(n)).empty()) return true;
        }
    }
    return false;
}

std::optional<MinuteTime> NewestRecord(const HistoryLog& log, std::optional<MinuteTime> notAfter) {
    std::optional<MinuteTime> newest;
    for (std::size_t i = 0; i < log.LineCount(); ++i) {
        const std::string_view line = log.Line(i);
        if (line.size() < 13 || line[12] != '=') continue;
        const std::optional<MinuteTime> time = ParseMinuteKey(line.substr(0, 12));
        if (!time || (notAfter && *time > *notAfter)) continue;
        if (!newest || *time > *newest) newest = time;
    }
    return newest;
}

std::optional<MinuteTime> EarliestRecord(const HistoryLog& log,
                                         std::optional<MinuteTime> notAfter) {
    std::optional<MinuteTime> earliest;
    for (std::size_t i = 0; i < log.LineCount(); ++i) {
        const std::string_view line = log.Line(i);
        if (line.size() < 13 || line[12] != '=') continue;
        const std::optional<MinuteTime> time = ParseMinuteKey(line.substr(0, 12));
        if (!time || (notAfter && *time > *notAfter)) continue;
        if (!earliest || *time < *earliest) earliest = time;
    }
    return earliest;
}

bool DayInSegHistory(const HistoryLog& segHistory, Day day) {
    return segHistory.ContainsDate(day);
}

bool IsPartialScanDay(const std::filesystem::path& dataDirectory, Day day) {
    return ProcessLogDays::Read(dataDirectory).IsPartialScanDay(day);
}

ProcessLogDays ProcessLogDays::FromLines(const std::vector<std::string_view>& processLines) {
    ProcessLogDays index;
    const auto marks = [&index](Day day) -> DayMarks& {
        return index.days_[static_cast<int>(day.time_since_epoch().count())];
    };
    // Marker lines: "yyyy-mm-dd 08" or "... 10" at the start, not among the last two lines.
    for (std::size_t i = 0; i + 2 < processLines.size(); ++i) {
        const std::string_view line = processLines[i];
        if (line.size() < 13 || line[10] != ' ') continue;
        const std::string_view hour = line.substr(11, 2);
        if (hour != "08" && hour != "10") continue;
        const std::optional<Day> day = ParseIsoDate(line.substr(0, 10));
        if (!day) continue;
        if (line.find(kMsg1RapidScanMarker) != std::string_view::npos) marks(*day).msg1Marker = true;
        if (line.find(kMsg2RapidScanMarker) != std::string_view::npos) marks(*day).msg2Marker = true;
    }
    // Save notes: "save yyyymmdd" and a tail, anywhere in any line.
    constexpr std::string_view kSave = "save ";
    constexpr std::size_t kDateLength = 8;
    constexpr std::size_t kTailLength = 8;
    for (const std::string_view line : processLines) {
        for (std::size_t at = line.find(kSave); at != std::string_view::npos;
             at = line.find(kSave, at + 1)) {
            const std::size_t dateAt = at + kSave.size();
            const std::optional<Day> day = ParseCompactDate(line.substr(dateAt, kDateLength));
            if (!day) continue;
            const std::string_view tail = line.substr(dateAt + kDateLength, kTailLength);
            if (AnyOf(kMorningSaves, tail)) marks(*day).morningSave = true;
            if (AnyOf(kMiddaySaves, tail)) marks(*day).middaySave = true;
        }
    }
    return index;
}

ProcessLogDays ProcessLogDays::Read(const std::filesystem::path& dataDirectory) {
    const LogFileText file = ReadLogText(dataDirectory / "process.log");
    std::vector<std::string_view> lines;
    ForEachLine(file.text, [&](std::string_view line) { lines.push_back(line); });
    return FromLines(lines);
}

bool ProcessLogDays::IsPartialScanDay(Day day) const {
    const auto found = days_.find(static_cast<int>(day.time_since_epoch().count()));
    if (found == days_.end()) return true;
    const DayMarks& m = found->second;
    if (day < calendar::kMsg2RapidScanFrom ? m.msg1Marker : m.msg2Marker) return true;
    return !(m.morningSave && m.middaySave);
}

}  // namespace gapscope
