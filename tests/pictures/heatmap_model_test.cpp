// The heat map's rows: the share missing of each cycle over every channel it expected, the
// day's total, and the days that have no cells (before the logs begin, a failed run).
#include "pictures/heatmap_model.h"

#include <gtest/gtest.h>

#include "history/day_queries.h"
#include "tests/pictures/picture_station.h"

namespace gapscope::pictures {
namespace {

using test::Date;

float Share(const HeatMapRow& row, int column) {
    const HeatCell& cell = row.cells[static_cast<std::size_t>(column)];
    EXPECT_EQ(cell.kind, HeatCell::Kind::Share) << "column " << column;
    return cell.missingShare;
}

TEST(HeatMapModel, AWeekWithAnOutageAfterDaysBeforeTheLogsBegin) {
    const Day first = Date(2024, 3, 1);
    const Day gap = Date(2024, 3, 4);
    test::StationShape shape;
    shape.withoutHistory = gap;
    shape.injections = {"cycle@2024-03-02T03:00", "segments@2024-03-06T08:00:9/3,4"};
    const auto station = test::Station(ScanMode::Prime, first, first + std::chrono::days{6}, shape);
    const HeatMap withEarlier =
        test::HeatMapOf(station, first - std::chrono::days{2}, first + std::chrono::days{6});
    ASSERT_EQ(withEarlier.rows.size(), 9u);
    for (int r = 0; r < 2; ++r) {
        // Never drawn as days of missing cycles.
        EXPECT_EQ(withEarlier.rows[static_cast<std::size_t>(r)].status, DayStatus::BeforeLogsBegin);
        EXPECT_TRUE(withEarlier.rows[static_cast<std::size_t>(r)].cells.empty());
    }
    const HeatMap map = test::HeatMapOf(station, first, first + std::chrono::days{6});

    ASSERT_EQ(map.rows.size(), 7u);
    EXPECT_EQ(map.columns, 96);
    for (const HeatMapRow& row : map.rows) {
        EXPECT_EQ(row.status, DayStatus::Reported) << IsoDate(row.day);
        ASSERT_EQ(row.cells.size(), 96u);
        // The day the station wrote nothing is the worst of the week, every cycle lost.
        if (row.day == gap) {
            for (const HeatCell& cell : row.cells)
                EXPECT_EQ(cell, (HeatCell{HeatCell::Kind::Share, 1.0f}));
            EXPECT_EQ(row.counts.missingCycles, 96);
        }
    }
    // 2024-03-02 03:00: the whole cycle.
    EXPECT_FLOAT_EQ(Share(map.rows[1], 12), 1.0f);
    EXPECT_FLOAT_EQ(Share(map.rows[1], 11), 0.0f);
    // 2024-03-06 08:00: two segments of everything the cycle expected.
    const float share = Share(map.rows[5], 32);
    EXPECT_GT(share, 0.0f);
    EXPECT_LT(share, 0.05f);
    EXPECT_FLOAT_EQ(Share(map.rows[5], 33), 0.0f);
    // The day's total counts the whole day: one cycle of 96 is a little over a hundredth.
    EXPECT_EQ(map.rows[1].total.kind, HeatCell::Kind::Share);
    EXPECT_GT(map.rows[1].total.missingShare, 0.01f);
    EXPECT_LT(map.rows[1].total.missingShare, 0.02f);
    EXPECT_FLOAT_EQ(map.rows[0].total.missingShare, 0.0f);
    EXPECT_EQ(map.totals.missingCycles, 1 + 96);
}

TEST(HeatMapModel, CyclesBeforeTheFirstRecordOfTheFirstDayAreNotJudged) {
    const Day day = Date(2024, 3, 5);
    test::StationShape shape;
    shape.firstRecord = MinuteTime{day} + std::chrono::minutes{13 * 60 + 47};
    const auto station = test::Station(ScanMode::Prime, day, day, shape);
    const HeatMap map = test::HeatMapOf(station, day, day);
    const HeatMapRow& row = map.rows[0];
    EXPECT_EQ(row.status, DayStatus::Reported);
    // 13:45 starts before the first record; 14:00 is the first cycle judged.
    for (int c = 0; c <= 55; ++c)
        EXPECT_EQ(row.cells[static_cast<std::size_t>(c)].kind, HeatCell::Kind::BeforeLogsBegin)
            << c;
    EXPECT_FLOAT_EQ(Share(row, 56), 0.0f);
    EXPECT_EQ(row.counts.missingCycles, 0);
}

TEST(HeatMapModel, CyclesThatExpectNothingAreNotShares) {
    // An LRIT-only station expects something at minutes 15 and 45 only.
    const Day day = Date(2024, 3, 5);
    ReportOptions options;
    options.met8LritOnly = true;
    options.includeLrit = true;
    const auto station = test::Station(ScanMode::Prime, day, day);
    const HeatMap map = test::HeatMapOf(station, day, day, options);
    ASSERT_EQ(map.rows.size(), 1u);
    for (int c = 0; c < 96; ++c) {
        const HeatCell& cell = map.rows[0].cells[static_cast<std::size_t>(c)];
        EXPECT_EQ(cell.kind, c % 2 == 1 ? HeatCell::Kind::Share : HeatCell::Kind::NothingExpected) << c;
    }
}

TEST(HeatMapModel, AFailedDayAndTheCurrentDay) {
    const Day first = Date(2024, 3, 5);
    test::StationShape shape;
    shape.segLinesFirst = "202403051200=1=ZZ\n";  // a bad mask
    const auto station = test::Station(ScanMode::Prime, first, first + std::chrono::days{1}, shape);
    const MinuteTime now = MinuteTime{first + std::chrono::days{1}} + std::chrono::minutes{6 * 60};
    const HeatMap map = test::HeatMapOf(station, first, first + std::chrono::days{1}, {}, now);
    ASSERT_EQ(map.rows.size(), 2u);
    EXPECT_EQ(map.rows[0].status, DayStatus::Failed);
    EXPECT_TRUE(map.rows[0].cells.empty());
    // At 06:00 less the grace of 30 minutes 05:30 is due, 05:45 is not.
    const HeatMapRow& today = map.rows[1];
    EXPECT_EQ(today.cells[22].kind, HeatCell::Kind::Share);
    for (int c = 23; c < 96; ++c)
        EXPECT_EQ(today.cells[static_cast<std::size_t>(c)].kind, HeatCell::Kind::NotYetDue);
    EXPECT_EQ(today.total.kind, HeatCell::Kind::Share);
}

TEST(HeatMapModel, RapidScanRows) {
    const Day day = Date(2024, 3, 5);
    const auto station = test::Station(ScanMode::RapidScan, day, day, test::Faults({"cycle@2024-03-05T03:05"}));
    const HeatMap map = test::HeatMapOf(station, day, day);
    EXPECT_EQ(map.columns, 288);
    EXPECT_EQ(map.cycleMinutes, 5);
    EXPECT_FLOAT_EQ(Share(map.rows[0], 37), 1.0f);
    EXPECT_FLOAT_EQ(Share(map.rows[0], 36), 0.0f);
}

}  // namespace
}  // namespace gapscope::pictures
