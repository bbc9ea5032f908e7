#include "pictures/heatmap_model.h"

#include <algorithm>

#include "pictures/segment_counts.h"
#include "report/repeat_cycle.h"

namespace gapscope::pictures {
namespace {

struct Counts {
    long due = 0;
    long missing = 0;
    long notYetDue = 0;
};

HeatCell Judge(const Counts& c) {
    if (c.due == 0) {
        return {c.notYetDue > 0 ? HeatCell::Kind::NotYetDue : HeatCell::Kind::NothingExpected, 0.0f};
    }
    const double share = std::min(1.0, static_cast<double>(c.missing) / static_cast<double>(c.due));
    return {HeatCell::Kind::Share, static_cast<float>(share)};
}

}  // namespace

DayStatus StatusOf(const DayReportResult& result) {
    if (result.error) return DayStatus::Failed;
    return result.findings.judged.WhollyBeforeLogsBegin() ? DayStatus::BeforeLogsBegin
                                                          : DayStatus::Reported;
}

HeatMapRow BuildHeatMapRow(const Findings& findings, DayStatus status) {
    HeatMapRow row;
    row.day = findings.day;
    row.status = status;
    if (status != DayStatus::Reported) return row;
    row.counts = Summarise(findings);

    const int cycle = RepeatCycleMinutes(findings.service);
    std::vector<Counts> columns(static_cast<std::size_t>(kMinutesPerDay / cycle));
    const auto at = [&](int minute) -> Counts& {
        return columns[static_cast<std::size_t>(ColumnOf(minute, cycle))];
    };
    const int firstNotDue = FirstMinuteNotYetDue(findings);
    for (const ExpectedChannel& c : findings.expected) {
        (c.minute < firstNotDue ? at(c.minute).due : at(c.minute).notYetDue) += c.SegmentCount();
    }
    const MissingSegmentCounter counter(findings);
    for (const FoundItem& item : findings.missing) at(item.minute).missing += counter.Missing(item);

    // Columns from the first one that has not begun yet on the current day: not yet due;
    // those of cycles before the first record: before the logs begin.
    const std::size_t future = static_cast<std::size_t>((firstNotDue + cycle - 1) / cycle);
    const std::size_t begun = findings.beforeLogsBegin.size();
    Counts day;
    row.cells.reserve(columns.size());
    for (const Counts& c : columns) {
        const std::size_t column = row.cells.size();
        row.cells.push_back(column < begun    ? HeatCell{HeatCell::Kind::BeforeLogsBegin, 0.0f}
                            : column < future ? Judge(c)
                                              : HeatCell{HeatCell::Kind::NotYetDue, 0.0f});
        day.due += c.due;
        day.missing += c.missing;
        day.notYetDue += c.notYetDue;
    }
    row.total = Judge(day);
    return row;
}

void AddHeatMapRow(HeatMap& map, HeatMapRow row, ScanMode service) {
    if (map.rows.empty()) {
        map.service = service;
        map.cycleMinutes = RepeatCycleMinutes(service);
        map.columns = kMinutesPerDay / map.cycleMinutes;
    }
    if (row.status == DayStatus::Reported) map.totals += row.counts;
    map.rows.push_back(std::move(row));
}

}  // namespace gapscope::pictures
