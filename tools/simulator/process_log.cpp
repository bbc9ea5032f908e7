#include "tools/simulator/process_log.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

namespace gapscope::sim {

namespace {

struct SaveNote {
    int minute;  // of the product's slot
    std::string_view product;
    bool midday;
};

// The archive saves the fire, precipitation and RII products twice in the morning and twice
// around midday; a day that lacks either group was a fill-in day.
constexpr SaveNote kSaveNotes[] = {
    {160, "fir", false}, {190, "fir", false}, {200, "mpe", false}, {250, "rii", false},
    {290, "mpe", false}, {310, "rii", false}, {700, "fir", true},  {730, "fir", true},
    {740, "mpe", true},  {790, "rii", true},  {830, "mpe", true},  {850, "rii", true},
};

std::string Stamp(const std::string& isoDay, int second) {
    char buf[32];
    std::snprintf(buf, sizeof buf, " %02d:%02d:%02d ", second / 3600, second / 60 % 60,
                  second % 60);
    return isoDay + buf;
}

std::string Hhnn(int minute) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d%02d", minute / 60, minute % 60);
    return buf;
}

}  // namespace

void AppendProcessLog(const ProcessDay& day, std::string& out) {
    const std::string iso = IsoDate(day.day);
    const std::string compact = CompactDate(day.day);
    std::vector<std::pair<int, std::string>> events;

    events.emplace_back(4, "Day " + iso + " begun, history logs continued");
    for (int h = 0; h < 24; ++h) {
        events.emplace_back(h * 3600 + 3598, "Status: " + std::to_string(day.filesPerHour[h]) +
                                                 " files received this hour, " +
                                                 std::to_string(day.lateFilesPerHour[h]) + " late");
    }
    if (day.productsSaved && !day.fillIn) {
        for (const SaveNote& note : kSaveNotes) {
            if (note.midday && day.noMiddaySaves) continue;
            events.emplace_back(note.minute * 60 + 7 * 60 + 17,
                                "Archive: save " + compact + Hhnn(note.minute) + "-" +
                                    std::string(note.product) + " done");
        }
    }
    if (day.fillIn) {
        // Fill-in service: the rapid-scan files of the standby satellite, 08:00 to 10:55.
        const int year = static_cast<int>(std::chrono::year_month_day(day.day).year());
        const std::string sat = year < 2018 ? "MSG1" : "MSG2";
        for (int minute = 480; minute < 660; minute += 5) {
            events.emplace_back(minute * 60 + 3 * 60 + 12, "Received H-000-" + sat + "__-" + sat +
                                                               "_RSS____-_________-PRO______-" +
                                                               compact + Hhnn(minute) + "-__");
        }
    }

    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [second, text] : events) {
        if (second >= day.endSecond) break;
        out += Stamp(iso, second);
        out += text;
        out += "\r\n";
    }
}

}  // namespace gapscope::sim
