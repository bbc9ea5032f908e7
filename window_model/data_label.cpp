#include "window_model/data_label.h"

#include <algorithm>
#include <optional>

#include "history/day_queries.h"
#include "history/time_keys.h"

namespace gapscope {
namespace {

std::string UtcMinuteText(MinuteTime time) {
    return IsoDate(std::chrono::floor<std::chrono::days>(time)) + " " + ClockTime(time) + " UTC";
}

std::optional<MinuteTime> NewestRecordOf(const StartupState& state) {
    const std::optional<MinuteTime> seg = NewestRecord(state.SegHistory);
    const std::optional<MinuteTime> late = NewestRecord(state.LateSegHistory);
    if (seg && late) return std::max(*seg, *late);
    return seg ? seg : late;
}

}  // namespace

DataLabel DescribeSource(const StartupLoad& loaded, bool folderExists,
                         std::chrono::sys_seconds readAt) {
    const std::string& folder = loaded.state.DataDirectory;
    const std::string click = "Click to choose the station's folder.";
    const std::optional<MinuteTime> newest = NewestRecordOf(loaded.state);
    const std::string read =
        "Logs read " + UtcMinuteText(std::chrono::floor<std::chrono::minutes>(readAt)) +
        (newest ? "; newest record " + UtcMinuteText(*newest) : "; no minute record in them") + ".";
    if (!folderExists) {
        return {"Folder not found: ", folder, folder + " does not exist.\n" + click,
                DataState::NoFolder};
    }
    if (!loaded.anyLogFound) {
        return {"No history log found in: ", folder,
                "None of SegHistory.log, LateSegHistory.log and FileHistory.log is in " + folder +
                    ".\n" + click,
                DataState::NoLog};
    }
    if (!loaded.logsLoaded) {
        // As designed, the label keeps its design text; the tooltip says why.
        return {"Data source", "",
                "Could not read " + folder + loaded.unreadableLog + ": " + loaded.unreadableReason +
                    "; it and the logs after it are taken as empty.\n" + read + "\n" + click,
                DataState::Unreadable};
    }
    return {"Data from: ", folder, folder + "\n" + read + "\n" + click, DataState::Read};
}

}  // namespace gapscope
