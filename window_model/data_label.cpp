#include "window_model/data_label.h"

#include <algorithm>
#include <optional>

#include "history/day_queries.h"
#include "history/time_keys.h"
#include "startup/safe_name.h"

namespace gapscope {
namespace {

std::string UtcMinuteText(MinuteTime time) {
    return IsoDate(std::chrono::floor<std::chrono::days>(time)) + " " + ClockTime(time) + " UTC";
}

std::optional<MinuteTime> NewestRecordOf(const StartupLoad& loaded) {
    const std::optional<MinuteTime> seg = NewestSegRecord(loaded);
    const std::optional<MinuteTime> late =
        NewestRecord(loaded.state.LateSegHistory, loaded.segScan.now);
    if (seg && late) return std::max(*seg, *late);
    return seg ? seg : late;
}

// " (read 06:10, newest 06:09 UTC)", short beside the folder (the tooltip says it in full);
// a record of another day with its date; records stamped after now counted.
std::string ReadDetail(MinuteTime readAt, const std::optional<MinuteTime>& newest,
                       const RecordsAfterNow& after) {
    const auto day = [](MinuteTime time) { return std::chrono::floor<std::chrono::days>(time); };
    std::string detail = " (read " + ClockTime(readAt) + ", ";
    if (!newest) {
        detail += "no record yet";
    } else {
        detail += "newest " + (day(*newest) == day(readAt) ? ClockTime(*newest) + " UTC"
                                                           : UtcMinuteText(*newest));
    }
    if (after.count > 0) detail += ", " + std::to_string(after.count) + " after now";
    return detail + ")";
}

// "; 3 records stamped after now, newest 2099-12-31 23:45 UTC: is the station's clock right?",
// or the full stop that ends the sentence without it.
std::string AfterNowNote(const RecordsAfterNow& after) {
    if (after.count == 0 || !after.newest) return ".";
    return "; " + std::to_string(after.count) +
           (after.count == 1 ? " record stamped after now, " : " records stamped after now, newest ") +
           UtcMinuteText(*after.newest) + ": is the station's clock right?";
}

}  // namespace

DataLabel DescribeSource(const StartupLoad& loaded, bool folderExists,
                         std::chrono::sys_seconds readAt,
                         const std::optional<std::string>& typedFolder) {
    // Shown, never used to find a file: in UTF-8 and on one line.
    const std::string folder = SafeName(loaded.state.DataDirectory);
    const std::string click = "Click to choose the station's folder.";
    const MinuteTime readMinute = std::chrono::floor<std::chrono::minutes>(readAt);
    const std::optional<MinuteTime> newest = NewestRecordOf(loaded);
    const std::string read =
        "Logs read " + UtcMinuteText(readMinute) +
        (newest ? "; newest record " + UtcMinuteText(*newest) : "; no minute record in them") +
        AfterNowNote(loaded.state.AfterNow);
    if (typedFolder) {
        const std::string typed = SafeName(*typedFolder);
        return {"Folder not found: ", typed,
                "The folder named on the command line, " + typed +
                    ", does not exist; nothing is judged.\n" + click,
                DataState::NoFolder, ""};
    }
    if (!folderExists) {
        return {"Folder not found: ", folder, folder + " does not exist.\n" + click,
                DataState::NoFolder, ""};
    }
    // Before the logs found: a folder that cannot be searched hides its logs.
    if (!loaded.logsLoaded) {
        const bool wholeFolder = loaded.unreadableLog.empty();
        return {wholeFolder ? "Cannot read the folder: " : "Cannot read: ",
                folder + loaded.unreadableLog,
                "Could not read " + SafeName(UnreadableName(loaded)) + ": " + loaded.unreadableReason +
                    "; nothing is judged until it can be read.\n" + read + "\n" + click,
                DataState::Unreadable, " (" + loaded.unreadableReason + ")"};
    }
    if (!loaded.anyLogFound) {
        return {"No history log found in: ", folder,
                "None of SegHistory.log, LateSegHistory.log and FileHistory.log is in " + folder +
                    ".\n" + click,
                DataState::NoLog, ""};
    }
    return {"Data from: ", folder, folder + "\n" + read + "\n" + click, DataState::Read,
            ReadDetail(readMinute, newest, loaded.state.AfterNow)};
}

}  // namespace gapscope
