// The pictures as Qt paints them: rendered offscreen, saved as PNG, and read back pixel by
// pixel at the places the layout gives each cell.
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <memory>

#include "history/day_queries.h"
#include "pictures/heatmap_drawing.h"
#include "pictures/palette.h"
#include "pictures/picture_file.h"
#include "pictures/picture_layout.h"
#include "pictures/qt_painter.h"
#include "pictures/timeline_drawing.h"
#include "report/day_range.h"
#include "settings/version.h"
#include "tests/pictures/picture_station.h"

namespace gapscope::pictures {
namespace {

using test::Date;

QRgb ToQRgb(const Rgb& c) { return qRgb(c.r, c.g, c.b); }

// How many pixels of each colour a box of the image holds.
std::map<QRgb, int> ColoursIn(const QImage& image, const Box& box) {
    std::map<QRgb, int> colours;
    for (int y = box.y; y < box.Bottom(); ++y) {
        for (int x = box.x; x < box.Right(); ++x) ++colours[image.pixel(x, y) | 0xFF000000u];
    }
    return colours;
}

// The box is filled with the one colour.
bool FilledWith(const QImage& image, const Box& box, const Rgb& colour) {
    const auto colours = ColoursIn(image, box);
    return colours.size() == 1 && colours.begin()->first == ToQRgb(colour);
}

// The box holds lines of `ink` on the background and nothing else.
bool PatternOf(const QImage& image, const Box& box, const Rgb& ink) {
    const auto colours = ColoursIn(image, box);
    return colours.size() == 2 && colours.count(ToQRgb(ink)) == 1 &&
           colours.count(ToQRgb(colour::kBackground)) == 1;
}

class PicturesRender : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { gui_ = std::make_unique<OffscreenGui>(); }
    static void TearDownTestSuite() { gui_.reset(); }
    static inline std::unique_ptr<OffscreenGui> gui_;
    test::TempDir dir_{"gapscope-pictures-"};
};

Timeline FaultDayTimeline() {
    const auto station = test::Station(ScanMode::Prime, test::kFaultDay, test::kFaultDay, test::Faults(test::kFaults));
    return BuildTimeline(test::Report(station, test::kFaultDay).findings, {"Groundstation", kVersionText});
}

int RowIndex(const Timeline& t, ItemKind kind, ChannelNumber channel) {
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const auto& channels = t.rows[r].channels;
        if (t.rows[r].kind == kind && std::find(channels.begin(), channels.end(), channel) != channels.end()) {
            return static_cast<int>(r);
        }
    }
    ADD_FAILURE() << "no row of channel " << channel;
    return 0;
}

TEST_F(PicturesRender, TheFaultsShowInTheirCellsAndReceivedEverywhereElse) {
    const Timeline t = FaultDayTimeline();
    const QImage image = RenderDrawing(DrawTimeline(t));
    const PictureLayout layout = LayoutTimeline(t);
    ASSERT_EQ(image.size(), QSize(layout.width, layout.height));

    for (ChannelNumber n = 1; n <= 12; ++n) {
        const int r = RowIndex(t, ItemKind::Hrit, n);
        for (int c = 0; c < t.columns; ++c) {
            const Box cell = layout.Cell(r, c);
            if (c == test::kCycleColumn) {
                EXPECT_TRUE(FilledWith(image, cell, colour::kMissing)) << "channel " << n << " column " << c;
            } else if (n == 9 && c == test::kIncompleteColumn) {
                EXPECT_TRUE(FilledWith(image, cell, IncompleteColour(0.25)));
            } else if (n == 9 && c == test::kLateColumn) {
                // A dark band across a received cell.
                EXPECT_EQ(image.pixel(cell.x + cell.width / 2, cell.y + cell.height / 2) | 0xFF000000u,
                          ToQRgb(colour::kLate));
                EXPECT_EQ(image.pixel(cell.x, cell.y) | 0xFF000000u, ToQRgb(colour::kReceived));
                EXPECT_EQ(image.pixel(cell.x, cell.Bottom() - 1) | 0xFF000000u, ToQRgb(colour::kReceived));
            } else {
                EXPECT_TRUE(FilledWith(image, cell, colour::kReceived)) << "channel " << n << " column " << c;
            }
        }
    }
    // The missing cycle stands out above its column, and only there.
    for (int c = 0; c < t.columns; ++c) {
        const Box mark{layout.Cell(0, c).x, layout.cycleStrip.y, layout.cellWidth, layout.cycleStrip.height - 1};
        EXPECT_EQ(FilledWith(image, mark, colour::kMissing), c == test::kCycleColumn) << c;
    }
    // CRM comes at noon only: the other cells of its row are hatched.
    const int crm = RowIndex(t, ItemKind::Product, 37);
    EXPECT_TRUE(FilledWith(image, layout.Cell(crm, 48), colour::kReceived));
    EXPECT_TRUE(PatternOf(image, layout.Cell(crm, 47), colour::kHatch));
}

TEST_F(PicturesRender, ASatelliteOutOfServiceIsHatched) {
    const Day gone = Date(2017, 12, 14);
    const auto station = test::Station(ScanMode::Prime, gone - std::chrono::days{1}, gone);
    for (const Day day : {gone - std::chrono::days{1}, gone}) {
        const Timeline t = BuildTimeline(test::Report(station, day).findings, {});
        const QImage image = RenderDrawing(DrawTimeline(t));
        const PictureLayout layout = LayoutTimeline(t);
        const int goesEast = RowIndex(t, ItemKind::Fsd, 21);
        for (int hour = 0; hour < 24; ++hour) {
            const Box cell = layout.Cell(goesEast, hour * 4);
            if (day < gone) {
                EXPECT_TRUE(FilledWith(image, cell, colour::kReceived)) << hour;
            } else {
                EXPECT_TRUE(PatternOf(image, cell, colour::kHatch)) << hour;
            }
        }
    }
}

TEST_F(PicturesRender, TheCurrentDayIsStripedAfterTheCurrentMinute) {
    const Day day = test::kFaultDay;
    const auto station = test::Station(ScanMode::Prime, day, day);
    const Timeline t = BuildTimeline(
        test::Report(station, day, {}, MinuteTime{day} + std::chrono::minutes{12 * 60 + 50})
            .findings,
        {});
    const QImage image = RenderDrawing(DrawTimeline(t));
    const PictureLayout layout = LayoutTimeline(t);
    EXPECT_TRUE(FilledWith(image, layout.Cell(0, 49), colour::kReceived));
    for (int c = 50; c < t.columns; c += 7) EXPECT_TRUE(PatternOf(image, layout.Cell(0, c), colour::kStripe)) << c;
}

TEST_F(PicturesRender, DaysBeforeTheLogsBeginAreHatchedAndAnOutageIsTheDarkestRow) {
    const Day first = Date(2024, 3, 1);
    const Day last = first + std::chrono::days{6};
    const Day gap = Date(2024, 3, 4);
    test::StationShape shape;
    shape.withoutHistory = gap;
    shape.injections = {"cycle@2024-03-02T03:00"};
    const auto station = test::Station(ScanMode::Prime, first, last, shape);
    HeatMap map;
    map.facts = {"Groundstation", kVersionText};
    // The range begins the day before the first record.
    RunDayRange(station.state, {}, DayRange{first - std::chrono::days{1}, last, std::nullopt},
                [&](Day, DayReportResult& r) {
                    AddHeatMapRow(map, BuildHeatMapRow(r.findings, StatusOf(r)),
                                  station.state.Mode);
                });
    const QImage image = RenderDrawing(DrawHeatMap(map));
    const PictureLayout layout = LayoutHeatMap(map);

    for (int r = 0; r < 8; ++r) {
        const Day day = first + std::chrono::days{r - 1};
        for (int c = 0; c < map.columns; ++c) {
            const Box cell = layout.Cell(r, c);
            if (r == 0) {
                EXPECT_TRUE(PatternOf(image, cell, colour::kBeforeLogsHatch)) << c;
            } else if (day == gap || (r == 2 && c == 12)) {
                EXPECT_TRUE(FilledWith(image, cell, ShareColour(1.0))) << r << " " << c;
            } else {
                EXPECT_TRUE(FilledWith(image, cell, ShareColour(0.0))) << r << " " << c;
            }
        }
    }
    // The day's total: hatched beside the day before the logs begin, a share beside the others.
    EXPECT_EQ(ColoursIn(image, layout.Total(0)).count(ToQRgb(colour::kBeforeLogsHatch)), 1u);
    EXPECT_EQ(image.pixel(layout.Total(4).x + 1, layout.Total(4).y + 1) | 0xFF000000u,
              ToQRgb(ShareColour(1.0)));
    const Box total = layout.Total(2);
    EXPECT_EQ(image.pixel(total.x + 1, total.y + 1) | 0xFF000000u,
              ToQRgb(ShareColour(map.rows[2].total.missingShare)));
}

// The SVG and Windows painters set the pixels PixelsOf gives; Qt's own lines must set the same.
TEST_F(PicturesRender, QtSetsThePixelsOfEveryLineThatTheOtherPaintersSet) {
    int lines = 0;
    for (int length = 0; length < 12; ++length) {
        for (const auto& [dx, dy] : {std::pair{1, 0}, {0, 1}, {1, 1}, {1, -1}}) {
            const int x0 = 5 + length % 3, y0 = 20 + length % 2;
            const Line line{x0, y0, x0 + dx * length, y0 + dy * length, colour::kInk};
            Drawing drawing{40, 40, "", {Fill{{0, 0, 40, 40}, colour::kBackground}, line}};
            const QImage image = RenderDrawing(drawing);
            std::set<std::pair<int, int>> painted, expected;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (image.pixel(x, y) == ToQRgb(colour::kInk)) painted.insert({x, y});
                }
            }
            const PixelRun run = PixelsOf(line);
            for (int i = 0; i < run.length; ++i) expected.insert({run.x + i * run.dx, run.y + i * run.dy});
            EXPECT_EQ(painted, expected) << "from " << x0 << "," << y0 << " by " << dx << "," << dy << " x " << length;
            ++lines;
        }
    }
    EXPECT_EQ(lines, 48);
}

// The font's table, by which layouts measure text, agrees with Qt's measure of every text
// of the pictures: never narrower, so that what fits by the table fits as drawn, and wider
// only by the few pairs Qt kerns closer.
TEST_F(PicturesRender, TheFontTableMeasuresTextAsQtDoes) {
    const Timeline t = FaultDayTimeline();
    HeatMap map;  // of two days without cells, which say why in words
    map.rows.resize(2);
    map.rows[0].status = DayStatus::Failed;
    map.rows[1].status = DayStatus::BeforeLogsBegin;
    for (const Drawing& drawing : {DrawTimeline(t), DrawHeatMap(map)}) {
        for (const Shape& shape : drawing.shapes) {
            const auto* text = std::get_if<Text>(&shape);
            if (text == nullptr) continue;
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(text->font.pixels);
            font.setBold(text->font.bold);
            ASSERT_EQ(QFontInfo(font).family(), QStringLiteral("DejaVu Sans"));
            for (const PlacedLine& line : PlaceText(*text)) {
                const double qt = QFontMetricsF(font).horizontalAdvance(QString::fromStdString(line.text));
                const double table = TextAdvance(line.text, text->font);
                EXPECT_GE(table, qt - 0.25) << line.text;
                EXPECT_LE(table, qt * 1.02 + 1.5) << line.text;
            }
        }
    }
}

TEST_F(PicturesRender, APngFileHoldsThePictureAndOneThatCannotBeWrittenLeavesNothing) {
    const Drawing drawing = DrawTimeline(FaultDayTimeline());
    const auto png = dir_.path() / "day.png";
    ASSERT_EQ(SavePicture(png, drawing, QtPng), std::nullopt);
    const QImage read(QString::fromStdString(png.string()));
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), RenderDrawing(drawing));
    std::filesystem::remove(png);

    const auto inMissingFolder = dir_.path() / "no-such-folder" / "day.png";
    const auto problem = SavePicture(inMissingFolder, drawing, QtPng);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("no-such-folder"), std::string::npos) << *problem;
    EXPECT_TRUE(SavePicture(dir_.path() / "day.jpg", drawing, QtPng).has_value());
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

}  // namespace
}  // namespace gapscope::pictures
