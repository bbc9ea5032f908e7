#pragma once

#include <vector>

#include "pictures/timeline_model.h"
#include "report/day_report.h"
#include "report/findings.h"

namespace gapscope::pictures {

// How a day of a range came out.
enum class DayStatus {
    Reported,         // the report ran on the day's history (a day of which nothing arrived too)
    BeforeLogsBegin,  // the day lies before the first record of the segment history
    Failed,           // the report run stopped (a bad segment mask)
};
// The status of a report run's day, by the run's own decision.
DayStatus StatusOf(const DayReportResult& result);

// One cell of the heat map: the share of what its cycle expected that is missing.
struct HeatCell {
    enum class Kind { Share, NothingExpected, NotYetDue, BeforeLogsBegin };
    Kind kind = Kind::NothingExpected;
    float missingShare = 0.0f;
    friend bool operator==(const HeatCell&, const HeatCell&) = default;
};

struct HeatMapRow {
    Day day{};
    DayStatus status = DayStatus::Reported;
    std::vector<HeatCell> cells;  // one per repeat cycle; empty unless reported
    HeatCell total;               // the whole day (the cycles due)
    DaySummary counts;
    friend bool operator==(const HeatMapRow&, const HeatMapRow&) = default;
};

// A range of days at a glance: one row per day, one column per repeat cycle.
struct HeatMap {
    ScanMode service = ScanMode::Prime;
    int cycleMinutes = 15;
    int columns = 96;
    std::vector<HeatMapRow> rows;
    DaySummary totals;  // of the days reported
    PictureFacts facts;
    friend bool operator==(const HeatMap&, const HeatMap&) = default;
};

// The row of one day, from its findings alone. Each cell is the share of the segments of
// every channel its cycle expected (those due) that did not arrive; a cycle before the first
// record is not judged. A day before the logs begin or whose run failed has no cells: it is
// drawn as such, never as all missing; a day after it of which nothing arrived is.
HeatMapRow BuildHeatMapRow(const Findings& findings, DayStatus status);

// Adds a day's row; the first one fixes the service and the columns.
void AddHeatMapRow(HeatMap& map, HeatMapRow row, ScanMode service);

}  // namespace gapscope::pictures
