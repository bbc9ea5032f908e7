// The pictures as drawings, before any painter: every cell of a station-day and of a range
// drawn at its place in its colour or pattern, and every text inside its box by the font's
// table.
#include "pictures/drawing.h"

#include <gtest/gtest.h>

#include <set>

#include "pictures/heatmap_drawing.h"
#include "pictures/timeline_drawing.h"
#include "settings/version.h"
#include "tests/pictures/picture_station.h"

namespace gapscope::pictures {
namespace {

using std::chrono::days;
using std::chrono::minutes;
using test::Date;

// The last shape drawn over a pixel that fills or patterns it (text and ticks set no cells).
const Shape* TopShapeAt(const Drawing& drawing, int x, int y) {
    const Shape* top = nullptr;
    for (const Shape& shape : drawing.shapes) {
        const Box* box = nullptr;
        if (const auto* fill = std::get_if<Fill>(&shape)) box = &fill->box;
        if (const auto* hatch = std::get_if<Hatch>(&shape)) box = &hatch->box;
        if (const auto* stripes = std::get_if<Stripes>(&shape)) box = &stripes->box;
        if (box && x >= box->x && x < box->Right() && y >= box->y && y < box->Bottom())
            top = &shape;
    }
    return top;
}

// A shape's look, as text for the messages: "fill #rrggbb", "hatch #rrggbb"...
std::string Look(const Shape* shape) {
    const auto hex = [](const Rgb& c) {
        char text[8];
        std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
        return std::string(text);
    };
    if (shape == nullptr) return "nothing";
    if (const auto* fill = std::get_if<Fill>(shape)) return "fill " + hex(fill->colour);
    if (const auto* hatch = std::get_if<Hatch>(shape))
        return (hatch->cross ? "cross-hatch " : "hatch ") + hex(hatch->colour);
    return "stripes " + hex(std::get<Stripes>(*shape).colour);
}

// What is seen at a box's centre.
std::string SeenAt(const Drawing& drawing, const Box& box) {
    return Look(TopShapeAt(drawing, box.x + box.width / 2, box.y + box.height / 2));
}

std::string Filled(const Rgb& colour) {
    const Shape shape = Fill{{}, colour};
    return Look(&shape);
}
std::string Hatched(const Rgb& colour, bool cross = false) {
    const Shape shape = Hatch{{}, colour, 5, cross};
    return Look(&shape);
}
std::string Striped() {
    const Shape shape = Stripes{{}, colour::kStripe, 4};
    return Look(&shape);
}

// A day with every state of a cell: the logs begin at 01:00, a cycle lost at 03:00, channel
// 9 incomplete at 08:00 and late at 10:00, products not expected, and, the day being the
// current one at 20:00, the evening not yet due.
Timeline EveryStateDay() {
    test::StationShape shape = test::Faults(
        {"cycle@2024-03-05T03:00", "segments@2024-03-05T08:00:9/3,4", "late@2024-03-05T10:00:9/5"});
    shape.firstRecord = MinuteTime{test::kFaultDay} + minutes{60};
    const auto station = test::Station(ScanMode::Prime, test::kFaultDay, test::kFaultDay, shape);
    const MinuteTime now = MinuteTime{test::kFaultDay} + minutes{20 * 60};
    return BuildTimeline(test::Report(station, test::kFaultDay, {}, now).findings,
                         {"Groundstation", kVersionText});
}

TEST(Drawing, EveryCellOfTheDayIsDrawnAtItsPlaceInItsColour) {
    const Timeline t = EveryStateDay();
    const Drawing drawing = DrawTimeline(t);
    const PictureLayout layout = LayoutTimeline(t);
    EXPECT_EQ(drawing.width, layout.width);
    EXPECT_EQ(drawing.height, layout.height);
    std::set<CellState> seen;
    for (int r = 0; r < layout.rows; ++r) {
        for (int c = 0; c < layout.columns; ++c) {
            const TimelineCell& cell =
                t.rows[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)];
            seen.insert(cell.state);
            std::string expected;
            switch (cell.state) {
                case CellState::Received:
                case CellState::Incomplete:
                case CellState::Missing:
                    expected = Filled(CellColour(cell));
                    break;
                case CellState::Late:
                    expected = Filled(colour::kLate);
                    break;
                case CellState::NotExpected:
                    expected = Hatched(colour::kHatch);
                    break;
                case CellState::NotYetDue:
                    expected = Striped();
                    break;
                case CellState::BeforeLogsBegin:
                    expected = Hatched(colour::kBeforeLogsHatch, true);
                    break;
            }
            EXPECT_EQ(SeenAt(drawing, layout.Cell(r, c)), expected)
                << t.rows[static_cast<std::size_t>(r)].label << ", column " << c;
        }
    }
    EXPECT_EQ(seen.size(), 7u) << "the day shows every state of a cell";
    // Each lost cycle is marked above its column.
    for (int c = 0; c < layout.columns; ++c) {
        const Box mark{layout.Cell(0, c).x, layout.cycleStrip.y, layout.cellWidth, 2};
        EXPECT_EQ(SeenAt(drawing, mark) == Filled(colour::kMissing),
                  t.missingCycle[static_cast<std::size_t>(c)])
            << c;
    }
}

TEST(Drawing, EveryCellOfTheRangeIsDrawnAtItsPlaceInItsColour) {
    // From the day before the logs begin to the current day at noon, with a lost cycle and a
    // failed day; and a day of an LRIT-only station, which expects nothing in every other cycle.
    const Day first = Date(2024, 3, 5);
    test::StationShape shape = test::Faults({"cycle@2024-03-05T03:15"});
    shape.segLinesFirst = "202403061200=1=ZZ\n";  // a bad mask
    const auto station = test::Station(ScanMode::Prime, first, first + days{2}, shape);
    const MinuteTime now = MinuteTime{first + days{2}} + minutes{12 * 60};
    ReportOptions lritOnly;
    lritOnly.met8LritOnly = true;
    lritOnly.includeLrit = true;
    const HeatMap maps[] = {test::HeatMapOf(station, first - days{1}, first + days{2}, {}, now),
                            test::HeatMapOf(station, first, first, lritOnly)};

    const auto expected = [](const HeatMapRow& row, const HeatCell& cell) {
        if (row.status == DayStatus::BeforeLogsBegin)
            return Hatched(colour::kBeforeLogsHatch, true);
        if (row.status == DayStatus::Failed) return Hatched(colour::kFailedHatch, true);
        switch (cell.kind) {
            case HeatCell::Kind::Share:
                return Filled(ShareColour(cell.missingShare));
            case HeatCell::Kind::NothingExpected:
                return Hatched(colour::kHatch);
            case HeatCell::Kind::NotYetDue:
                return Striped();
            case HeatCell::Kind::BeforeLogsBegin:
                return Hatched(colour::kBeforeLogsHatch, true);
        }
        return std::string();
    };
    std::set<std::string> seen;
    for (const HeatMap& map : maps) {
        const Drawing drawing = DrawHeatMap(map);
        const PictureLayout layout = LayoutHeatMap(map);
        for (int r = 0; r < layout.rows; ++r) {
            const HeatMapRow& row = map.rows[static_cast<std::size_t>(r)];
            for (int c = 0; c < layout.columns; ++c) {
                const HeatCell cell =
                    row.cells.empty() ? HeatCell{} : row.cells[static_cast<std::size_t>(c)];
                seen.insert(expected(row, cell));
                EXPECT_EQ(SeenAt(drawing, layout.Cell(r, c)), expected(row, cell))
                    << IsoDate(row.day) << " " << c;
            }
            // The day's total: its share, or the row's pattern at its edge (words in its middle).
            const Box total = layout.Total(r);
            EXPECT_EQ(SeenAt(drawing, {total.x, total.y, 2, total.height}),
                      expected(row, row.total))
                << IsoDate(row.day);
        }
    }
    EXPECT_EQ(seen.size(), 6u) << "shares in two colours and every pattern";
}

// Where a line of text is, by the font's table: its left and right edge, top and bottom.
struct Extent {
    double left, right, top, bottom;
};
Extent ExtentOf(const Text& text, const PlacedLine& line) {
    const double width = TextAdvance(line.text, text.font);
    const double left = text.align == Align::Left    ? line.x
                        : text.align == Align::Right ? line.x - width
                                                     : line.x - width / 2;
    return {left, left + width, line.baseline - Ascent(text.font),
            line.baseline + Descent(text.font)};
}

TEST(Drawing, EveryTextIsInsideItsBox) {
    std::vector<Drawing> drawings;
    // Timelines of the three services, the parallel scan with Himawari, and the longest
    // labels: satellites absent all day, or asked for and not expected.
    for (const ScanMode service : {ScanMode::Prime, ScanMode::RapidScan, ScanMode::Iodc}) {
        test::StationShape shape;
        shape.switches = {"-P", "-HIM"};
        const Day day = Date(2024, 3, 5);
        const auto station = test::Station(service, day, day, shape);
        ReportOptions options;
        options.includeLrit = true;
        drawings.push_back(DrawTimeline(BuildTimeline(test::Report(station, day, options).findings,
                                                      {"Groundstation", kVersionText})));
    }
    drawings.push_back(DrawTimeline(EveryStateDay()));
    // Heat maps of a week and of two months, whose rows are the lowest that carry words.
    const Day first = Date(2023, 3, 6);
    const auto station = test::Station(ScanMode::Prime, first, first + days{59});
    drawings.push_back(DrawHeatMap(test::HeatMapOf(station, first - days{2}, first + days{4})));
    drawings.push_back(DrawHeatMap(test::HeatMapOf(station, first, first + days{59})));

    int texts = 0;
    for (const Drawing& drawing : drawings) {
        for (const Shape& shape : drawing.shapes) {
            const auto* text = std::get_if<Text>(&shape);
            if (text == nullptr) continue;
            for (const PlacedLine& line : PlaceText(*text)) {
                ++texts;
                const Extent at = ExtentOf(*text, line);
                const Box& box = text->box;
                // A pixel of rounding either way.
                EXPECT_GE(at.left, box.x - 1) << line.text;
                EXPECT_LE(at.right, box.Right() + 1) << line.text;
                EXPECT_GE(at.top, box.y - 1) << line.text;
                EXPECT_LE(at.bottom, box.Bottom() + 1) << line.text;
                EXPECT_LE(at.right, drawing.width) << line.text;
            }
        }
    }
    EXPECT_GT(texts, 400);
}

}  // namespace
}  // namespace gapscope::pictures
