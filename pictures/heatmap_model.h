#pragma once

#include <vector>

#include "pictures/timeline_model.h"
#include "report/findings.h"

namespace gapscope::pictures {

// How a day of a range came out.
enum class DayStatus {
    Reported,   // the report ran on the day's history
    NoHistory,  // the segment history holds nothing of the day
    Failed,     // the report run stopped (a bad segment mask)
};

// One cell of the heat map: the share of what its cycle expected that is missing.
struct HeatCell {
    enum class Kind { Share, NothingExpected, NotYetDue };
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
// every channel its cycle expected (those due) that did not arrive. A day without history
// or whose run failed has no cells: it is drawn as such, never as all missing.
HeatMapRow BuildHeatMapRow(const Findings& findings, DayStatus status);

// Adds a day's row; the first one fixes the service and the columns.
void AddHeatMapRow(HeatMap& map, HeatMapRow row, ScanMode service);

}  // namespace gapscope::pictures
