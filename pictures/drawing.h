#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "pictures/palette.h"
#include "pictures/picture_font.h"
#include "pictures/picture_layout.h"
#include "report/findings.h"

namespace gapscope::pictures {

// A picture as data: what to draw, in order, on a white sheet of whole pixels. The painters
// (SVG text, Qt, Windows) draw these shapes as they are and decide nothing.

// A box filled with one colour.
struct Fill {
    Box box;
    Rgb colour;
    friend bool operator==(const Fill&, const Fill&) = default;
};
// Diagonal lines ("/") every `spacing` pixels over a box; with `cross` the other diagonal
// too. Its lines (PatternLines) lie on a grid of the whole picture, so that they line up
// across boxes.
struct Hatch {
    Box box;
    Rgb colour;
    int spacing = 5;
    bool cross = false;
    friend bool operator==(const Hatch&, const Hatch&) = default;
};
// Vertical lines every `spacing` pixels over a box.
struct Stripes {
    Box box;
    Rgb colour;
    int spacing = 4;
    friend bool operator==(const Stripes&, const Stripes&) = default;
};
// A line one pixel wide from the pixel (x0, y0) to the pixel (x1, y1), both drawn:
// horizontal, vertical or at 45 degrees, so that every device sets the same pixels.
struct Line {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    Rgb colour;
    friend bool operator==(const Line&, const Line&) = default;
};
enum class Align { Left, Right, Centre };
// UTF-8 text in a box: its lines ('\n') centred as a block from top to bottom, each aligned
// left, right or centred across (PlaceText).
struct Text {
    Box box;
    std::string text;
    Font font;
    Rgb colour;
    Align align = Align::Left;
    friend bool operator==(const Text&, const Text&) = default;
};
using Shape = std::variant<Fill, Hatch, Stripes, Line, Text>;

struct Drawing {
    int width = 0;
    int height = 0;
    std::string title;  // what the picture is, for a file's own title
    std::vector<Shape> shapes;
};

// The lines a pattern is drawn as, in the order they are drawn: from left to right, or from
// top to bottom, each between pixels of its box.
std::vector<Line> PatternLines(const Hatch& hatch);
std::vector<Line> PatternLines(const Stripes& stripes);

// The pixels a line sets: `length` pixels from (x, y), each `dx`, `dy` from the one before.
struct PixelRun {
    int x = 0, y = 0, length = 0, dx = 0, dy = 0;
    friend bool operator==(const PixelRun&, const PixelRun&) = default;
};
// Those of a line as the PNG has always had them, which Qt's rasteriser set: every pixel
// from one end to the other, but a line rising to the right a row lower, and a line of one
// pixel the pixel below right of it. Every painter sets these.
PixelRun PixelsOf(const Line& line);

// Where a line of a text goes: its anchor (the left edge, the right edge or the middle, by
// the text's alignment) and its baseline, in pixels.
struct PlacedLine {
    std::string text;
    double x = 0;
    int baseline = 0;
};
std::vector<PlacedLine> PlaceText(const Text& text);

// What the two pictures draw alike.

void FillBox(Drawing& drawing, const Box& box, const Rgb& colour);
void HatchBox(Drawing& drawing, const Box& box, const Rgb& colour, int spacing, bool cross = false);
void StripeBox(Drawing& drawing, const Box& box, const Rgb& colour, int spacing);
void DrawText(Drawing& drawing, const Box& box, std::string text, const Font& font,
              const Rgb& colour, Align align = Align::Left);

// A drawing of the layout's size that starts as every picture does: the background, the
// title (left), the program and version (right), the subtitle under them, and the hour axis.
Drawing BeginSheet(const PictureLayout& layout, std::string name, const std::string& title,
                   const std::string& subtitle, const std::string& version);
// Hour labels and ticks along the top of the grid (UTC).
void DrawHourAxis(Drawing& drawing, const PictureLayout& layout);

// One line of a legend: a swatch drawn by `swatch` into its box, then the text.
template <typename Swatch>
void DrawLegendLine(Drawing& drawing, const PictureLayout& layout, int line, std::string text,
                    Swatch swatch) {
    const Box box{layout.legend.x, layout.legend.y + line * 20, 28, 14};
    swatch(box);
    DrawText(drawing, {box.Right() + 8, box.y - 2, layout.legend.width - 36, 18}, std::move(text),
             Font{12}, colour::kInk);
}

// Counts beside the legend: a heading, then "name  number" lines.
void DrawCounts(Drawing& drawing, const PictureLayout& layout, std::string heading,
                const std::vector<std::pair<std::string, int>>& counts);
// The lines of DrawCounts for a day's or a range's counts.
std::vector<std::pair<std::string, int>> SummaryCountLines(const DaySummary& summary);

// Draws a grid row of `cells` as runs of equal cells, each by `draw(drawing, box, cell)`.
// Runs end at the hour too, where the grid leaves a gap.
template <typename Cells, typename Draw>
void DrawRuns(Drawing& drawing, const PictureLayout& layout, int r, const Cells& cells, Draw draw) {
    const int cellsPerHour = layout.columns / 24;
    int start = 0;
    for (int c = 1; c <= layout.columns; ++c) {
        const bool ends =
            c == layout.columns || c % cellsPerHour == 0 ||
            !(cells[static_cast<std::size_t>(c)] == cells[static_cast<std::size_t>(start)]);
        if (!ends) continue;
        const Box first = layout.Cell(r, start);
        const Box last = layout.Cell(r, c - 1);
        draw(drawing, Box{first.x, first.y, last.Right() - first.x, first.height},
             cells[static_cast<std::size_t>(start)]);
        start = c;
    }
}

}  // namespace gapscope::pictures
