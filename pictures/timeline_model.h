#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/findings.h"

namespace gapscope::pictures {

// What a picture says about itself besides the findings: the station and the program.
struct PictureFacts {
    std::string station;  // the computer name, as the report banner gives it
    std::string version;  // the version text
    friend bool operator==(const PictureFacts&, const PictureFacts&) = default;
};

// What one cell of the day timeline shows, from the best to the worst news; a cell that
// qualifies twice shows the worse of missing, incomplete, late and received.
enum class CellState {
    Received,     // everything expected arrived in time
    Late,         // it arrived, some of it late
    Incomplete,   // part of what was expected did not arrive (see TimelineCell::missingShare)
    Missing,      // nothing of what was expected arrived
    NotExpected,  // the calendar expects nothing of the row here, or it was not checked
    NotYetDue,    // the current day, after the current minute less the grace period
    BeforeLogsBegin,  // before the first record of the segment history: never expected
};

struct TimelineCell {
    CellState state = CellState::NotExpected;
    // Of the segments the cell expected (those due), the share that did not arrive.
    double missingShare = 0.0;
    friend bool operator==(const TimelineCell&, const TimelineCell&) = default;
};

// A row: one MSG channel, one file (prolog, epilog), one product, one foreign satellite
// with all its images, or Himawari with all its bands.
struct TimelineRow {
    ItemKind kind = ItemKind::Hrit;
    std::string label;               // "HRIT ch 09  IR108", "CLM", "GOES-15", "Himawari"
    std::vector<ChannelNumber> channels;
    bool absentAllDay = false;       // a satellite the products list gives one day-long line
    // False: asked for by the options, or late segments of it on record, expected nowhere today.
    bool expectedAtAll = false;
    std::vector<TimelineCell> cells;  // one per repeat cycle of the day
    friend bool operator==(const TimelineRow&, const TimelineRow&) = default;
};

// The day at a glance: one row per thing the day expects, one column per repeat cycle.
struct Timeline {
    Day day{};
    ScanMode service = ScanMode::Prime;
    bool parallel = false;   // the parallel-scan report (-P)
    bool himawari = false;   // the Himawari report (-HIM)
    int cycleMinutes = 15;   // 15, or 5 in rapid scan
    int columns = 96;        // 1440 / cycleMinutes
    std::vector<TimelineRow> rows;
    std::vector<bool> missingCycle;  // by column: nothing of the MSG imager arrived
    // The first column not yet due on the current day; none on a day that is over.
    std::optional<int> firstNotYetDue;
    DaySummary counts;
    PictureFacts facts;
    friend bool operator==(const Timeline&, const Timeline&) = default;
};

// The column of a minute of the day.
inline int ColumnOf(int minute, int cycleMinutes) { return minute / cycleMinutes; }

// The timeline of a report run, from its findings alone. Rows: HRIT channels 1 to 12, LRIT
// channels, the prolog and epilog files, the MPEF products, one row per foreign satellite
// and one for Himawari, each where the day expects it; a satellite that the options ask
// for but the day expects nowhere has a row of "not expected" cells all the same.
Timeline BuildTimeline(const Findings& findings, const PictureFacts& facts);

}  // namespace gapscope::pictures
