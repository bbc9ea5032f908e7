#include "pictures/drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace gapscope::pictures {
namespace {

// The pixels of a box are x..x+width-1 and y..y+height-1; each line joins two of them.
void DiagonalLines(std::vector<Line>& lines, const Hatch& hatch, bool rising) {
    const Box& box = hatch.box;
    const int spacing = hatch.spacing;
    const int left = box.x, right = box.Right() - 1, top = box.y, bottom = box.Bottom() - 1;
    if (right < left || bottom < top || spacing <= 0) return;
    // Rising lines are x + y = c, falling ones x - y = c; c on a grid of the whole picture.
    const int first = rising ? left + top : left - bottom;
    const int last = rising ? right + bottom : right - top;
    for (int c = first - ((first % spacing) + spacing) % spacing; c <= last; c += spacing) {
        const int x0 = rising ? std::max(left, c - bottom) : std::max(left, c + top);
        const int x1 = rising ? std::min(right, c - top) : std::min(right, c + bottom);
        if (x0 > x1) continue;
        const auto y = [&](int x) { return rising ? c - x : x - c; };
        lines.push_back({x0, y(x0), x1, y(x1), hatch.colour});
    }
}

}  // namespace

std::vector<Line> PatternLines(const Hatch& hatch) {
    std::vector<Line> lines;
    DiagonalLines(lines, hatch, true);
    if (hatch.cross) DiagonalLines(lines, hatch, false);
    return lines;
}

std::vector<Line> PatternLines(const Stripes& stripes) {
    const Box& box = stripes.box;
    const int spacing = stripes.spacing;
    std::vector<Line> lines;
    if (box.width <= 0 || box.height <= 0 || spacing <= 0) return lines;
    for (int x = box.x + ((spacing - box.x % spacing) % spacing); x < box.Right(); x += spacing) {
        lines.push_back({x, box.y, x, box.Bottom() - 1, stripes.colour});
    }
    return lines;
}

PixelRun PixelsOf(const Line& line) {
    // From the left end, or the top end of an upright line.
    const bool reversed = line.x1 < line.x0 || (line.x1 == line.x0 && line.y1 < line.y0);
    const int x0 = reversed ? line.x1 : line.x0, y0 = reversed ? line.y1 : line.y0;
    const int x1 = reversed ? line.x0 : line.x1, y1 = reversed ? line.y0 : line.y1;
    const int dx = x1 > x0 ? 1 : 0;
    const int dy = y1 > y0 ? 1 : y1 < y0 ? -1 : 0;
    const int length = std::max(x1 - x0, std::abs(y1 - y0)) + 1;
    if (length == 1) return {x0 + 1, y0 + 1, 1, 0, 0};
    if (dy < 0) return {x0, y0 + 1, length, dx, dy};
    return {x0, y0, length, dx, dy};
}

std::vector<PlacedLine> PlaceText(const Text& text) {
    std::vector<std::string> lines(1);
    for (const char c : text.text) {
        if (c == '\n') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    // The block of lines centred in the box, each baseline on the nearest whole pixel.
    const double lineHeight = Ascent(text.font) + Descent(text.font);
    const Box& box = text.box;
    const double top = box.y + (box.height - static_cast<double>(lines.size()) * lineHeight) / 2;
    const double x = text.align == Align::Left    ? box.x
                     : text.align == Align::Right ? box.Right()
                                                  : box.x + box.width / 2.0;
    std::vector<PlacedLine> placed;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double baseline = top + static_cast<double>(i) * lineHeight + Ascent(text.font);
        placed.push_back({std::move(lines[i]), x, static_cast<int>(std::lround(baseline))});
    }
    return placed;
}

void FillBox(Drawing& drawing, const Box& box, const Rgb& colour) {
    drawing.shapes.emplace_back(Fill{box, colour});
}

void HatchBox(Drawing& drawing, const Box& box, const Rgb& colour, int spacing, bool cross) {
    drawing.shapes.emplace_back(Hatch{box, colour, spacing, cross});
}

void StripeBox(Drawing& drawing, const Box& box, const Rgb& colour, int spacing) {
    drawing.shapes.emplace_back(Stripes{box, colour, spacing});
}

void DrawText(Drawing& drawing, const Box& box, std::string text, const Font& font,
              const Rgb& colour, Align align) {
    drawing.shapes.emplace_back(Text{box, std::move(text), font, colour, align});
}

Drawing BeginSheet(const PictureLayout& layout, std::string name, const std::string& title,
                   const std::string& subtitle, const std::string& version) {
    Drawing drawing{layout.width, layout.height, std::move(name), {}};
    FillBox(drawing, {0, 0, layout.width, layout.height}, colour::kBackground);
    DrawText(drawing, layout.title, title, Font{18, true}, colour::kInk);
    DrawText(drawing, layout.title, "Gapscope V" + version, Font{12}, colour::kFaintInk,
             Align::Right);
    DrawText(drawing, layout.subtitle, subtitle, Font{12}, colour::kFaintInk);
    DrawHourAxis(drawing, layout);
    return drawing;
}

void DrawHourAxis(Drawing& drawing, const PictureLayout& layout) {
    for (int hour = 0; hour <= 24; ++hour) {
        const int x = hour < 24 ? layout.XOfMinute(hour * 60) : layout.grid.Right();
        drawing.shapes.emplace_back(
            Line{x, layout.axis.Bottom() - 6, x, layout.axis.Bottom() - 1, colour::kFaintInk});
        if (hour < 24) {
            char label[4];
            std::snprintf(label, sizeof label, "%02d", hour);
            DrawText(drawing, {x - 12, layout.axis.y, 24, 14}, label, Font{11}, colour::kInk,
                     Align::Centre);
        }
    }
}

void DrawCounts(Drawing& drawing, const PictureLayout& layout, std::string heading,
                const std::vector<std::pair<std::string, int>>& counts) {
    const Box& at = layout.counts;
    DrawText(drawing, {at.x, at.y - 2, at.width, 18}, std::move(heading), Font{12, true},
             colour::kInk);
    int y = at.y + 20;
    for (const auto& [name, count] : counts) {
        DrawText(drawing, {at.x, y - 2, at.width - 80, 18}, name, Font{12}, colour::kInk);
        DrawText(drawing, {at.Right() - 80, y - 2, 80, 18}, std::to_string(count), Font{12, true},
                 colour::kInk, Align::Right);
        y += 20;
    }
}

std::vector<std::pair<std::string, int>> SummaryCountLines(const DaySummary& summary) {
    return {{"missing repeat cycles", summary.missingCycles},
            {"channels and files incomplete or missing", summary.channels},
            {"their missing segments", summary.segments},
            {"late segments", summary.lateSegments},
            {"missing products", summary.products},
            {"missing sequence numbers", summary.sequenceNumbers}};
}

}  // namespace gapscope::pictures
