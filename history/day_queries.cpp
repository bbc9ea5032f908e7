#include "history/day_queries.h"

#include <array>
#include <chrono>
#include <string>

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

// The rapid-scan file names moved from the first to the second satellite in 2018.
constexpr int kMsg2RapidScanYear = 2018;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

template <std::size_t N>
bool AnyOf(const std::array<std::string_view, N>& tails, std::string_view tail) {
    for (const std::string_view t : tails) {
        if (t == tail) return true;
    }
    return false;
}

// The minute a key "yyyymmddhhnn" names, when it names a real one.
std::optional<RecordTime> MinuteOfKey(std::string_view key) {
    int fields[5] = {};
    const int widths[5] = {4, 2, 2, 2, 2};
    std::size_t at = 0;
    for (int f = 0; f < 5; ++f) {
        for (int k = 0; k < widths[f]; ++k, ++at) {
            if (key[at] < '0' || key[at] > '9') return std::nullopt;
            fields[f] = fields[f] * 10 + (key[at] - '0');
        }
    }
    const std::chrono::year_month_day ymd{std::chrono::year{fields[0]},
                                          std::chrono::month{static_cast<unsigned>(fields[1])},
                                          std::chrono::day{static_cast<unsigned>(fields[2])}};
    if (!ymd.ok() || fields[3] > 23 || fields[4] > 59) return std::nullopt;
    return Day{ymd} + std::chrono::hours{fields[3]} + std::chrono::minutes{fields[4]};
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

std::optional<RecordTime> NewestRecord(const HistoryLog& log) {
    std::optional<RecordTime> newest;
    for (std::size_t i = 0; i < log.LineCount(); ++i) {
        const std::string_view line = log.Line(i);
        if (line.size() < 13 || line[12] != '=') continue;
        const std::optional<RecordTime> time = MinuteOfKey(line.substr(0, 12));
        if (time && (!newest || *time > *newest)) newest = time;
    }
    return newest;
}

bool DayInSegHistory(const HistoryLog& segHistory, Day day) {
    return segHistory.ContainsDate(day);
}

bool IsPartialScanDayInLines(const std::vector<std::string_view>& processLines, Day day) {
    const int year = static_cast<int>(std::chrono::year_month_day{day}.year());
    const std::string_view marker =
        year < kMsg2RapidScanYear ? "H-000-MSG1__-MSG1_RSS" : "H-000-MSG2__-MSG2_RSS";
    const std::string iso = IsoDate(day);
    const std::string hour08 = iso + " 08";
    const std::string hour10 = iso + " 10";
    // The last two lines of the file are left out of the marker search.
    for (std::size_t i = 0; i + 2 < processLines.size(); ++i) {
        const std::string_view line = processLines[i];
        if ((StartsWith(line, hour08) || StartsWith(line, hour10)) &&
            line.find(marker) != std::string_view::npos) {
            return true;
        }
    }

    const std::string note = "save " + CompactDate(day);
    constexpr std::size_t kTailLength = 8;
    bool morning = false;
    bool midday = false;
    for (const std::string_view line : processLines) {
        for (std::size_t at = line.find(note); at != std::string_view::npos;
             at = line.find(note, at + 1)) {
            const std::string_view tail = line.substr(at + note.size(), kTailLength);
            morning = morning || AnyOf(kMorningSaves, tail);
            midday = midday || AnyOf(kMiddaySaves, tail);
        }
        if (morning && midday) return false;
    }
    return true;
}

bool IsPartialScanDay(const std::filesystem::path& dataDirectory, Day day) {
    // Unreadable or absent: no lines.
    const LogFileText file = ReadLogText(dataDirectory / "process.log");
    std::vector<std::string_view> lines;
    ForEachLine(file.text, [&](std::string_view line) { lines.push_back(line); });
    return IsPartialScanDayInLines(lines, day);
}

}  // namespace gapscope
