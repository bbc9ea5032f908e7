#include "window_model/log_note.h"

#include <optional>

#include "history/day_queries.h"

namespace gapscope {
namespace {

const HistoryLog& LogNamed(const StartupState& state, const std::string& name) {
    if (name == "SegHistory.log") return state.SegHistory;
    if (name == "LateSegHistory.log") return state.LateSegHistory;
    return state.FileHistory;
}

// The file history's keys name days ("yyyymmdd-kind"), the two others' minutes.
std::optional<Day> DayOfKey(std::string_view line) {
    if (line.size() < 9 || line[8] != '-') return std::nullopt;
    return ParseCompactDate(line.substr(0, 8));
}

std::optional<std::string> FirstOrLastDay(const HistoryLog& log, bool last) {
    std::optional<Day> found;
    for (std::size_t i = 0; i < log.LineCount(); ++i) {
        const std::optional<Day> day = DayOfKey(log.Line(i));
        if (day && (!found || (last ? *day > *found : *day < *found))) found = day;
    }
    if (!found) return std::nullopt;
    return IsoDate(*found);
}

// The earliest or the last record the log now holds, in words.
std::optional<std::string> RecordText(const HistoryLog& log, bool last, MinuteTime lookedAt) {
    const std::optional<MinuteTime> minute = last ? NewestRecord(log) : EarliestRecord(log);
    if (!minute) return FirstOrLastDay(log, last);
    const Day day = std::chrono::floor<std::chrono::days>(*minute);
    if (day == std::chrono::floor<std::chrono::days>(lookedAt)) return ClockTime(*minute);
    return IsoDate(day) + " " + ClockTime(*minute);
}

}  // namespace

std::string LogLossNote(const std::vector<LogLoss>& lost, const StartupState& state,
                        MinuteTime lookedAt) {
    std::string note;
    for (const LogLoss& loss : lost) {
        if (!note.empty()) note += "; ";
        const std::string at = " at " + ClockTime(lookedAt);
        if (loss.how == LogLoss::How::Removed) {
            note += loss.log + " was removed" + at;
            continue;
        }
        const bool cut = loss.how == LogLoss::How::CutShorter;
        note += loss.log + (cut ? " was cut shorter" : " was replaced") + at;
        const HistoryLog& log = LogNamed(state, loss.log);
        if (log.Empty()) {
            note += ": it is now empty";
        } else if (const auto record = RecordText(log, cut, lookedAt)) {
            note += (cut ? ": it now ends " : ": it now begins ") + *record;
        } else {
            note += ": it now holds no record";
        }
    }
    return note;
}

void AddLogLossNote(DataLabel& label, const std::string& note) {
    if (note.empty()) return;
    label.tooltip = note + ".\nData from: " + label.tooltip;
    label.lead.clear();
    label.folder.clear();
    label.detail = note;
}

}  // namespace gapscope
