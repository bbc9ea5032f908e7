#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "pictures/palette.h"
#include "pictures/picture_layout.h"
#include "report/findings.h"

namespace gapscope::pictures {

// What the two pictures draw alike. Patterns are drawn as lines computed here, not as
// brush patterns, so that the SVG holds them too and they line up across cells.

QColor ToQColor(const Rgb& rgb);
QString ToQString(const std::string& text);

// The sans-serif font of the pictures, `pixels` high.
QFont PictureFont(int pixels, bool bold = false);

void FillBox(QPainter& painter, const Box& box, const Rgb& colour);
// Diagonal lines ("/") every `spacing` pixels; with `cross` the other diagonal too.
void HatchBox(QPainter& painter, const Box& box, const Rgb& colour, int spacing, bool cross = false);
// Vertical lines every `spacing` pixels.
void StripeBox(QPainter& painter, const Box& box, const Rgb& colour, int spacing);

enum class Align { Left, Right, Centre };
void DrawText(QPainter& painter, const Box& box, const QString& text, const QFont& font,
              const Rgb& colour, Align align = Align::Left);

// What every picture starts with: the painter's state saved (restore it at the end), the
// background, the title (left), the program and version (right), the subtitle under them,
// and the hour axis.
void BeginSheet(QPainter& painter, const PictureLayout& layout, const QString& title,
                const QString& subtitle, const std::string& version);
// Hour labels and ticks along the top of the grid (UTC).
void DrawHourAxis(QPainter& painter, const PictureLayout& layout);

// One line of a legend: a swatch drawn by `swatch` into its box, then the text.
template <typename Swatch>
void DrawLegendLine(QPainter& painter, const PictureLayout& layout, int line, const QString& text,
                    Swatch swatch) {
    const Box box{layout.legend.x, layout.legend.y + line * 20, 28, 14};
    swatch(box);
    DrawText(painter, {box.Right() + 8, box.y - 2, layout.legend.width - 36, 18}, text,
             PictureFont(12), colour::kInk);
}

// Counts beside the legend: a heading, then "name  number" lines.
void DrawCounts(QPainter& painter, const PictureLayout& layout, const QString& heading,
                const std::vector<std::pair<QString, int>>& counts);
// The lines of DrawCounts for a day's or a range's counts.
std::vector<std::pair<QString, int>> SummaryCountLines(const DaySummary& summary);

// Paints a grid row of `cells` as runs of equal cells, each by `paint(painter, box, cell)`.
// Runs end at the hour too, where the grid leaves a gap.
template <typename Cells, typename Paint>
void PaintRuns(QPainter& painter, const PictureLayout& layout, int r, const Cells& cells, Paint paint) {
    const int cellsPerHour = layout.columns / 24;
    int start = 0;
    for (int c = 1; c <= layout.columns; ++c) {
        const bool ends = c == layout.columns || c % cellsPerHour == 0 ||
                          !(cells[static_cast<std::size_t>(c)] == cells[static_cast<std::size_t>(start)]);
        if (!ends) continue;
        const Box first = layout.Cell(r, start);
        const Box last = layout.Cell(r, c - 1);
        paint(painter, Box{first.x, first.y, last.Right() - first.x, first.height},
              cells[static_cast<std::size_t>(start)]);
        start = c;
    }
}

// A white picture of `size`, painted by `paint(QPainter&)`.
template <typename Paint>
QImage PaintedImage(QSize size, Paint paint) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    return image;
}

}  // namespace gapscope::pictures
