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

    // Columns from the first one that has not begun yet on the current day: not yet due.
    const std::size_t future = static_cast<std::size_t>((firstNotDue + cycle - 1) / cycle);
    Counts day;
    row.cells.reserve(columns.size());
    for (const Counts& c : columns) {
        row.cells.push_back(row.cells.size() < future ? Judge(c) : HeatCell{HeatCell::Kind::NotYetDue, 0.0f});
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
