// The Windows painter under Wine: the PNG it writes, read back, holds every cell of a
// station-day in its colour at the cell's centre, and every pixel of the fills and patterns
// that the SVG and Qt's PNG have; its text is set in the pictures' own font.
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
// After objbase.h, whose COM types it uses.
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "pictures/picture_file.h"
#include "pictures/timeline_drawing.h"
#include "pictures/windows_painter.h"
#include "settings/version.h"
#include "tests/pictures/picture_station.h"

namespace gapscope::pictures {
namespace {

using std::chrono::minutes;

// The drawing's fills and patterns as pixels, as every painter sets them; no text.
class Raster {
  public:
    explicit Raster(const Drawing& drawing)
        : width_(drawing.width),
          pixels_(static_cast<std::size_t>(drawing.width * drawing.height), colour::kBackground) {
        for (const Shape& shape : drawing.shapes) {
            if (const auto* fill = std::get_if<Fill>(&shape)) {
                for (int y = fill->box.y; y < fill->box.Bottom(); ++y)
                    for (int x = fill->box.x; x < fill->box.Right(); ++x) Set(x, y, fill->colour);
            } else if (const auto* hatch = std::get_if<Hatch>(&shape)) {
                SetLines(PatternLines(*hatch), hatch->colour);
            } else if (const auto* stripes = std::get_if<Stripes>(&shape)) {
                SetLines(PatternLines(*stripes), stripes->colour);
            } else if (const auto* line = std::get_if<Line>(&shape)) {
                SetLines({*line}, line->colour);
            }
        }
    }
    const Rgb& At(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }

  private:
    void Set(int x, int y, const Rgb& colour) {
        if (x >= 0 && x < width_ && y >= 0 &&
            static_cast<std::size_t>(y * width_ + x) < pixels_.size())
            pixels_[static_cast<std::size_t>(y * width_ + x)] = colour;
    }
    void SetLines(const std::vector<Line>& lines, const Rgb& colour) {
        for (const Line& line : lines) {
            const PixelRun run = PixelsOf(line);
            for (int i = 0; i < run.length; ++i)
                Set(run.x + i * run.dx, run.y + i * run.dy, colour);
        }
    }
    int width_;
    std::vector<Rgb> pixels_;
};

Rgb PixelOf(Gdiplus::Bitmap& bitmap, int x, int y) {
    Gdiplus::Color colour;
    bitmap.GetPixel(x, y, &colour);
    return {colour.GetR(), colour.GetG(), colour.GetB()};
}

class WindowsPainterTest : public ::testing::Test {
  protected:
    WindowsPainter painter_;
    test::TempDir dir_{"gapscope-windows-painter-"};
};

TEST_F(WindowsPainterTest, ThePngHoldsEveryCellInItsColourAndThePatternsOfTheOtherPainters) {
    // A day of every state: the logs from 01:00, a lost cycle, incomplete and late segments,
    // products not expected, and the evening not yet due.
    test::StationShape shape = test::Faults(
        {"cycle@2024-03-05T03:00", "segments@2024-03-05T08:00:9/3,4", "late@2024-03-05T10:00:9/5"});
    shape.firstRecord = MinuteTime{test::kFaultDay} + minutes{60};
    const auto station = test::Station(ScanMode::Prime, test::kFaultDay, test::kFaultDay, shape);
    const Timeline t = BuildTimeline(
        test::Report(station, test::kFaultDay, {}, MinuteTime{test::kFaultDay} + minutes{20 * 60})
            .findings,
        {"Groundstation", kVersionText});
    const Drawing drawing = DrawTimeline(t);
    const auto file = dir_.path() / "day.png";
    ASSERT_EQ(SavePicture(file, drawing, WindowsPng), std::nullopt);

    Gdiplus::Bitmap read(file.c_str());
    ASSERT_EQ(read.GetLastStatus(), Gdiplus::Ok);
    ASSERT_EQ(static_cast<int>(read.GetWidth()), drawing.width);
    ASSERT_EQ(static_cast<int>(read.GetHeight()), drawing.height);
    const Raster raster(drawing);
    const PictureLayout layout = LayoutTimeline(t);
    std::map<CellState, int> cells;
    for (int r = 0; r < layout.rows; ++r) {
        for (int c = 0; c < layout.columns; ++c) {
            const Box cell = layout.Cell(r, c);
            const int x = cell.x + cell.width / 2, y = cell.y + cell.height / 2;
            ++cells[t.rows[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)].state];
            EXPECT_EQ(PixelOf(read, x, y), raster.At(x, y))
                << t.rows[static_cast<std::size_t>(r)].label << " " << c;
        }
    }
    EXPECT_EQ(cells.size(), 7u) << "every state of a cell";

    // Every pixel away from the text is the one the SVG and Qt's PNG have.
    std::vector<bool> text(static_cast<std::size_t>(drawing.width * drawing.height));
    for (const Shape& shape : drawing.shapes) {
        const auto* words = std::get_if<Text>(&shape);
        if (words == nullptr) continue;
        const Box& box = words->box;
        for (int y = std::max(0, box.y - 4); y < std::min(drawing.height, box.Bottom() + 4); ++y)
            for (int x = std::max(0, box.x - 4); x < std::min(drawing.width, box.Right() + 4); ++x)
                text[static_cast<std::size_t>(y * drawing.width + x)] = true;
    }
    int compared = 0, differing = 0;
    for (int y = 0; y < drawing.height; ++y) {
        for (int x = 0; x < drawing.width; ++x) {
            if (text[static_cast<std::size_t>(y * drawing.width + x)]) continue;
            ++compared;
            const Rgb painted = PixelOf(read, x, y), expected = raster.At(x, y);
            if (!(painted == expected) && ++differing <= 5) {
                ADD_FAILURE() << x << "," << y << ": " << int(painted.r) << " " << int(painted.g)
                              << " " << int(painted.b) << " for " << int(expected.r) << " "
                              << int(expected.g) << " " << int(expected.b);
            }
        }
    }
    EXPECT_EQ(differing, 0) << "of " << compared;
    EXPECT_GT(compared, drawing.width * drawing.height / 2);
}

TEST_F(WindowsPainterTest, TextIsSetInThePicturesOwnFontInsideItsBox) {
    EXPECT_TRUE(painter_.HasPictureFont());
    const Text title{{10, 10, 300, 24},
                     "2024-03-05  \u00b7  Groundstation",
                     Font{18, true},
                     colour::kInk,
                     Align::Left};
    const Text right{{10, 40, 300, 18}, "Gapscope", Font{12}, colour::kInk, Align::Right};
    const Drawing drawing{320, 70, "", {title, right}};
    const std::unique_ptr<Gdiplus::Bitmap> bitmap = painter_.Paint(drawing);
    ASSERT_NE(bitmap, nullptr);
    for (const Text& text : {title, right}) {
        // The ink lies inside the box, spans about the width the font's table gives, and
        // ends where the alignment puts it.
        int left = drawing.width, rightmost = -1, inked = 0;
        for (int y = 0; y < drawing.height; ++y) {
            for (int x = 0; x < drawing.width; ++x) {
                const Rgb pixel = PixelOf(*bitmap, x, y);
                if (pixel.r > 0x90 || y < text.box.y - 2 || y >= text.box.Bottom() + 2) continue;
                ++inked;
                EXPECT_TRUE(x >= text.box.x - 1 && x <= text.box.Right() && y >= text.box.y &&
                            y < text.box.Bottom())
                    << text.text << " at " << x << "," << y;
                left = std::min(left, x);
                rightmost = std::max(rightmost, x);
            }
        }
        EXPECT_GT(inked, 20) << text.text;
        const int width = TextWidth(text.text, text.font);
        EXPECT_NEAR(rightmost + 1 - left, width, 4) << text.text;
        if (text.align == Align::Left) {
            EXPECT_NEAR(left, text.box.x, 2) << text.text;
        } else {
            EXPECT_NEAR(rightmost + 1, text.box.Right(), 2) << text.text;
        }
    }
}

}  // namespace
}  // namespace gapscope::pictures
