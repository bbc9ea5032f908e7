// The picture's model as gapscope-report hands it to gapscope-picture: every field comes
// back as it went, and text the painters could not draw is refused, not drawn.
#include "pictures/picture_request.h"

#include <gtest/gtest.h>

#include "report/day_range.h"
#include "tests/pictures/picture_station.h"

namespace gapscope::pictures {
namespace {

using std::chrono::days;

PictureModel RoundTrip(const PictureModel& model) {
    std::string error;
    const auto back = ParsePictureRequest(PictureRequestText(model), error);
    EXPECT_TRUE(back.has_value()) << error;
    return back.value_or(PictureModel{});
}

TEST(PictureRequest, ATimelineComesBackWhole) {
    const auto station = test::Station(ScanMode::RapidScan, test::kFaultDay - days{1}, test::kFaultDay,
                                       test::Faults({"cycle@2024-03-05T03:00"}));
    // The current day at 12:00: columns not yet due.
    const MinuteTime noon = std::chrono::sys_days{test::kFaultDay} + std::chrono::hours{12};
    Timeline timeline = BuildTimeline(test::Report(station, test::kFaultDay, {}, noon).findings,
                                      {"Ground \"station\" é\n\\", "3.1.23.1366"});
    ASSERT_EQ(timeline.columns, 288);
    ASSERT_TRUE(timeline.firstNotYetDue.has_value());
    ASSERT_FALSE(timeline.rows.empty());
    // Shares that no short decimal holds, and every state.
    auto& cells = timeline.rows.front().cells;
    cells[0] = {CellState::Incomplete, 1.0 / 3.0};
    cells[1] = {CellState::Late, 0.0};
    cells[2] = {CellState::Missing, 1.0};
    cells[3] = {CellState::NotYetDue, 0.0};
    EXPECT_EQ(std::get<Timeline>(RoundTrip(timeline)), timeline);
}

TEST(PictureRequest, AHeatMapComesBackWhole) {
    const Day first = test::Date(2024, 3, 1);
    const auto station = test::Station(ScanMode::Prime, first, first + days{3},
                                       test::Faults({"segments@2024-03-02T08:00:9/3,4"}));
    HeatMap map;
    map.facts = {"north", "3.1.23.1366"};
    RunDayRange(station.state, {}, DayRange{first, first + days{3}, std::nullopt},
                [&](Day day, DayReportResult& r) {
                    HeatMapRow row = BuildHeatMapRow(r.findings, DayStatus::Reported);
                    row.day = day;
                    AddHeatMapRow(map, std::move(row), ScanMode::Prime);
                });
    ASSERT_EQ(map.rows.size(), 4u);
    map.rows[2] = HeatMapRow{first + days{2}, DayStatus::BeforeLogsBegin, {}, {}, {}};
    map.rows[3].status = DayStatus::Failed;
    map.rows[3].cells.clear();
    map.rows[1].cells[5] = {HeatCell::Kind::NotYetDue, 0.0f};
    map.rows[1].cells[6] = {HeatCell::Kind::Share, 2.0f / 7.0f};
    const HeatMap back = std::get<HeatMap>(RoundTrip(map));
    EXPECT_EQ(back, map);
}

TEST(PictureRequest, TextThePaintersCouldNotDrawIsRefused) {
    Timeline timeline;
    timeline.rows.push_back(TimelineRow{ItemKind::Hrit, "HRIT ch 01", {1}, false, true,
                                        std::vector<TimelineCell>(96)});
    timeline.missingCycle.resize(96);
    const std::string good = PictureRequestText(timeline);
    std::string error;
    ASSERT_TRUE(ParsePictureRequest(good, error).has_value()) << error;

    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "not a picture request"},
        {good.substr(0, good.size() / 2), "not a picture request"},
        {replaced("gapscope-picture 1", "gapscope-picture 2"), "of different versions?"},
        {replaced("\"columns\":96", "\"columns\":95"), "95 cycles of 15 minutes"},
        {replaced("\"cycleMinutes\":15", "\"cycleMinutes\":0"), "96 cycles of 0 minutes"},
        {replaced("\"missingCycle\":[false,", "\"missingCycle\":["), "95 cells in a row of 96"},
        {replaced("\"kind\":0", "\"kind\":7"), "not a picture request"},
        {replaced("\"firstNotYetDue\":null", "\"firstNotYetDue\":97"), "outside the day"},
        {replaced("\"label\":\"HRIT ch 01\"", "\"label\":1"), "not a picture request"},
    };
    for (const auto& [text, why] : cases) {
        error.clear();
        EXPECT_FALSE(ParsePictureRequest(text, error).has_value()) << text;
        EXPECT_NE(error.find(why), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace gapscope::pictures
