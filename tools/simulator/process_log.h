#pragma once

#include <array>
#include <string>

#include "history/time_keys.h"

namespace gapscope::sim {

// What the station's process log tells about one day.
struct ProcessDay {
    Day day{};
    bool productsSaved = false;  // MPEF products were archived (save notes)
    bool fillIn = false;         // rapid-scan fill-in day: markers, nothing saved
    bool noMiddaySaves = false;  // the midday save notes are missing
    std::array<int, 24> filesPerHour{};
    std::array<int, 24> lateFilesPerHour{};
    int endSecond = 86400;  // events at or after this second of the day are not written
};

// Appends the day's process.log lines (CR LF ended, in time order) to `out`.
void AppendProcessLog(const ProcessDay& day, std::string& out);

}  // namespace gapscope::sim
