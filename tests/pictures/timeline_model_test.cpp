// The day timeline's rows and cells, computed from the findings of simulated stations with
// faults put at known cycles.
#include "pictures/timeline_model.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/pictures/picture_station.h"

namespace gapscope::pictures {
namespace {

using test::Date;
using test::Report;
using test::Station;

const TimelineRow* Row(const Timeline& t, ItemKind kind, ChannelNumber channel) {
    for (const TimelineRow& row : t.rows) {
        if (row.kind == kind &&
            std::find(row.channels.begin(), row.channels.end(), channel) != row.channels.end()) {
            return &row;
        }
    }
    return nullptr;
}

CellState State(const Timeline& t, ItemKind kind, ChannelNumber channel, int column) {
    const TimelineRow* row = Row(t, kind, channel);
    EXPECT_NE(row, nullptr) << "no row of channel " << channel;
    return row ? row->cells[static_cast<std::size_t>(column)].state : CellState::NotExpected;
}

Timeline TimelineOf(const test::MemoryStation& station, Day day, const ReportOptions& options = {},
                    std::optional<MinuteTime> now = std::nullopt) {
    const DayReportResult result = Report(station, day, options, now);
    EXPECT_FALSE(result.error.has_value());
    return BuildTimeline(result.findings, {"Groundstation", "3.1"});
}

TEST(TimelineModel, EachFaultInItsOwnCellAndEverythingElseReceived) {
    const auto station = Station(ScanMode::Prime, test::kFaultDay, test::kFaultDay, test::Faults(test::kFaults));
    const Timeline t = TimelineOf(station, test::kFaultDay);
    ASSERT_EQ(t.columns, 96);
    ASSERT_EQ(t.cycleMinutes, 15);

    for (ChannelNumber n = 1; n <= 12; ++n) {
        for (int c = 0; c < t.columns; ++c) {
            const CellState state = State(t, ItemKind::Hrit, n, c);
            if (c == test::kCycleColumn) {
                EXPECT_EQ(state, CellState::Missing) << "channel " << n << " column " << c;
            } else if (n == 9 && c == test::kIncompleteColumn) {
                EXPECT_EQ(state, CellState::Incomplete);
            } else if (n == 9 && c == test::kLateColumn) {
                EXPECT_EQ(state, CellState::Late);
            } else {
                EXPECT_EQ(state, CellState::Received) << "channel " << n << " column " << c;
            }
        }
    }
    // Two of channel 9's eight segments.
    EXPECT_DOUBLE_EQ(Row(t, ItemKind::Hrit, 9)->cells[test::kIncompleteColumn].missingShare, 0.25);
    // The whole cycle: the files and the products due in it are missing too.
    EXPECT_EQ(State(t, ItemKind::Prolog, 1, test::kCycleColumn), CellState::Missing);
    EXPECT_EQ(State(t, ItemKind::Product, 36, test::kCycleColumn), CellState::Missing);  // CLM
    for (int c = 0; c < t.columns; ++c) EXPECT_EQ(t.missingCycle[static_cast<std::size_t>(c)], c == test::kCycleColumn);
    EXPECT_EQ(t.counts.missingCycles, 1);
    EXPECT_EQ(t.counts.lateSegments, 1);
    EXPECT_FALSE(t.firstNotYetDue.has_value());
}

TEST(TimelineModel, RowsAreWhatTheDayExpectsInTheirOrder) {
    const Day day = Date(2024, 3, 5);
    const auto station = Station(ScanMode::Prime, day, day);
    ReportOptions options;
    options.includeLrit = true;
    const Timeline t = TimelineOf(station, day, options);

    std::vector<std::string> labels;
    for (const TimelineRow& row : t.rows) labels.push_back(row.label);
    ASSERT_GE(labels.size(), 21u);
    EXPECT_EQ(labels[0], "HRIT ch 01  VIS006");
    EXPECT_EQ(labels[8], "HRIT ch 09  IR108");
    EXPECT_EQ(labels[11], "HRIT ch 12  HRV");
    EXPECT_EQ(labels[12], "LRIT ch 01  VIS006");
    EXPECT_EQ(labels[17], "HRIT prolog");
    // LRIT only at minutes 15 and 45: odd columns.
    for (int c = 0; c < t.columns; ++c) {
        EXPECT_EQ(State(t, ItemKind::Lrit, 13, c), c % 2 == 1 ? CellState::Received : CellState::NotExpected);
    }
    // CRM once a day at noon; OCAE on the hour.
    for (int c = 0; c < t.columns; ++c) {
        EXPECT_EQ(State(t, ItemKind::Product, 37, c), c == 48 ? CellState::Received : CellState::NotExpected);
        EXPECT_EQ(State(t, ItemKind::Product, 86, c), c % 4 == 0 ? CellState::Received : CellState::NotExpected);
    }
    // No LRIT without the option.
    EXPECT_EQ(Row(TimelineOf(station, day), ItemKind::Lrit, 13), nullptr);
}

TEST(TimelineModel, ASatelliteOutOfServiceKeepsItsRowAsNotExpected) {
    // GOES-E is expected every hour up to 2017-12-13 and no longer from 2017-12-14.
    const auto station = Station(ScanMode::Prime, Date(2017, 12, 13), Date(2017, 12, 14));
    const Timeline before = TimelineOf(station, Date(2017, 12, 13));
    const Timeline after = TimelineOf(station, Date(2017, 12, 14));
    const TimelineRow* served = Row(before, ItemKind::Fsd, 21);
    const TimelineRow* gone = Row(after, ItemKind::Fsd, 21);
    ASSERT_NE(served, nullptr);
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(served->label, "GOES-13");
    EXPECT_TRUE(served->expectedAtAll);
    EXPECT_FALSE(gone->expectedAtAll);
    for (int c = 0; c < before.columns; ++c) {
        EXPECT_EQ(served->cells[static_cast<std::size_t>(c)].state,
                  c % 4 == 0 ? CellState::Received : CellState::NotExpected);
        EXPECT_EQ(gone->cells[static_cast<std::size_t>(c)].state, CellState::NotExpected);
    }
    // Without "Include FSD" nothing asks for it: no row.
    ReportOptions noFsd;
    noFsd.includeFsd = false;
    EXPECT_EQ(Row(TimelineOf(station, Date(2017, 12, 14), noFsd), ItemKind::Fsd, 21), nullptr);
}

TEST(TimelineModel, EclipseHoursAreNotExpected) {
    // 2016-04-11 lies in GOES-W's spring window: no image at 08:00 and 09:00.
    const Day day = Date(2016, 4, 11);
    const Timeline t = TimelineOf(Station(ScanMode::Prime, day, day), day);
    for (int hour = 0; hour < 24; ++hour) {
        const bool eclipse = hour == 8 || hour == 9;
        EXPECT_EQ(State(t, ItemKind::Fsd, 18, hour * 4), eclipse ? CellState::NotExpected : CellState::Received)
            << hour;
    }
}

TEST(TimelineModel, ASatelliteAbsentAllDayIsAMissingRow) {
    const Day day = Date(2016, 4, 11);
    const auto station = Station(ScanMode::Prime, day, day, test::Faults({"fsd-day@2016-04-11:fy2g"}));
    const Timeline t = TimelineOf(station, day);
    const TimelineRow* fy2g = Row(t, ItemKind::Fsd, 67);
    ASSERT_NE(fy2g, nullptr);
    EXPECT_EQ(fy2g->label, "FY-2G");
    EXPECT_TRUE(fy2g->absentAllDay);
    for (int hour = 0; hour < 24; ++hour) EXPECT_EQ(fy2g->cells[static_cast<std::size_t>(hour * 4)].state, CellState::Missing);
    EXPECT_FALSE(Row(t, ItemKind::Fsd, 18)->absentAllDay);
}

TEST(TimelineModel, WorseWinsInACell) {
    // Channel 9 at 08:00 both without segments and with a late one: incomplete.
    const Day day = Date(2024, 3, 5);
    const auto station = Station(ScanMode::Prime, day, day,
                                 test::Faults({"segments@2024-03-05T08:00:9/3", "late@2024-03-05T08:00:9/5"}));
    const Timeline t = TimelineOf(station, day);
    EXPECT_EQ(State(t, ItemKind::Hrit, 9, 32), CellState::Incomplete);
    EXPECT_DOUBLE_EQ(Row(t, ItemKind::Hrit, 9)->cells[32].missingShare, 0.125);
}

TEST(TimelineModel, TheCurrentDayAfterTheCurrentMinuteIsNotYetDue) {
    const Day day = Date(2024, 3, 5);
    const auto station = Station(ScanMode::Prime, day, day, test::Faults({"cycle@2024-03-05T15:00"}));
    // 10:37 less the grace of 30 minutes: the 10:00 cycle is due, the 10:15 one is not.
    const Timeline t =
        TimelineOf(station, day, {}, MinuteTime{day} + std::chrono::minutes{10 * 60 + 37});
    ASSERT_EQ(t.firstNotYetDue, std::optional<int>(41));
    for (const TimelineRow& row : t.rows) {
        for (int c = 41; c < t.columns; ++c) EXPECT_EQ(row.cells[static_cast<std::size_t>(c)].state, CellState::NotYetDue);
    }
    EXPECT_EQ(State(t, ItemKind::Hrit, 1, 40), CellState::Received);
    // The cycle lost at 15:00 is not missing yet.
    EXPECT_EQ(t.counts.missingCycles, 0);
    EXPECT_FALSE(t.missingCycle[60]);
}

TEST(TimelineModel, CyclesBeforeTheLogsBeginAreNeitherExpectedNorMissing) {
    const Day day = Date(2024, 3, 5);
    test::StationShape shape;
    shape.firstRecord = MinuteTime{day} + std::chrono::minutes{6 * 60};
    const auto station = Station(ScanMode::Prime, day, day, shape);
    const Timeline first = TimelineOf(station, day);
    for (const TimelineRow& row : first.rows) {
        for (int c = 0; c < 24; ++c)
            EXPECT_EQ(row.cells[static_cast<std::size_t>(c)].state, CellState::BeforeLogsBegin);
    }
    EXPECT_EQ(State(first, ItemKind::Hrit, 1, 24), CellState::Received);
    EXPECT_EQ(first.counts.missingCycles, 0);

    const Timeline before = TimelineOf(station, day - std::chrono::days{1});
    ASSERT_FALSE(before.rows.empty());  // the satellites the options ask for
    for (const TimelineRow& row : before.rows) {
        for (const TimelineCell& cell : row.cells)
            EXPECT_EQ(cell.state, CellState::BeforeLogsBegin);
    }
    EXPECT_EQ(before.counts, DaySummary{});
}

TEST(TimelineModel, WhatIsCountedLateIsDrawn) {
    // Late LRIT with "Include LRIT" off: a row of its own, which the day did not expect.
    const Day day = Date(2024, 3, 5);
    const auto station = Station(ScanMode::Prime, day, day, test::Faults({"late@2024-03-05T08:15:13/1"}));
    const Timeline t = TimelineOf(station, day);
    EXPECT_EQ(t.counts.lateSegments, 1);
    const TimelineRow* lrit = Row(t, ItemKind::Lrit, 13);
    ASSERT_NE(lrit, nullptr);
    EXPECT_FALSE(lrit->expectedAtAll);
    EXPECT_EQ(lrit->label, "LRIT ch 01");
    for (int c = 0; c < t.columns; ++c) {
        EXPECT_EQ(lrit->cells[static_cast<std::size_t>(c)].state,
                  c == 33 ? CellState::Late : CellState::NotExpected);
    }
    ReportOptions withLrit;
    withLrit.includeLrit = true;
    EXPECT_TRUE(Row(TimelineOf(station, day, withLrit), ItemKind::Lrit, 13)->expectedAtAll);

    // Late segments before the logs begin are drawn over the hatching.
    Findings before;
    before.day = day;
    for (int m = 0; m < kMinutesPerDay; m += 15) before.beforeLogsBegin.push_back(m);
    before.late = {{9 * 60, ItemKind::Hrit, 9, "HRIT ch 09", false, {1, 2}, Within::Nothing}};
    const Timeline hatched = BuildTimeline(before, {});
    EXPECT_EQ(State(hatched, ItemKind::Hrit, 9, 36), CellState::Late);
    EXPECT_EQ(State(hatched, ItemKind::Hrit, 9, 35), CellState::BeforeLogsBegin);
}

TEST(TimelineModel, RapidScanHasAColumnEveryFiveMinutes) {
    const Day day = Date(2024, 3, 5);
    const auto station = Station(ScanMode::RapidScan, day, day, test::Faults({"cycle@2024-03-05T03:05"}));
    const Timeline t = TimelineOf(station, day);
    ASSERT_EQ(t.columns, 288);
    EXPECT_EQ(t.service, ScanMode::RapidScan);
    EXPECT_EQ(State(t, ItemKind::Hrit, 1, 37), CellState::Missing);
    EXPECT_EQ(State(t, ItemKind::Hrit, 1, 36), CellState::Received);
    EXPECT_EQ(State(t, ItemKind::Hrit, 1, 38), CellState::Received);
    EXPECT_EQ(Row(t, ItemKind::Lrit, 13), nullptr);
}

}  // namespace
}  // namespace gapscope::pictures
