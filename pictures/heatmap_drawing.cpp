#include "pictures/heatmap_drawing.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "pictures/picture_layout.h"
#include "startup/safe_name.h"

namespace gapscope::pictures {
namespace {

constexpr int kHatchSpacing = 5;
constexpr int kCrossSpacing = 4;
constexpr int kStripeSpacing = 4;
constexpr int kTextRows = 12;  // rows at least this tall carry their date and total in words

// printf's form of one number.
std::string Formatted(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Title(const HeatMap& map) {
    std::string title;
    if (!map.rows.empty()) {
        title =
            IsoDate(map.rows.front().day) + " to " + IsoDate(map.rows.back().day) + "  \u00b7  ";
    }
    if (!map.facts.station.empty()) title += SafeName(map.facts.station) + "  \u00b7  ";
    return title + std::string(ServiceName(map.service, ServiceText::Title)) + " service";
}

std::string DateLabel(Day day) {
    static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed",
                                                         "Thu", "Fri", "Sat"};
    const std::chrono::weekday weekday{day};
    return IsoDate(day) + " " + kDays[weekday.c_encoding()];
}

void DrawCell(Drawing& drawing, const Box& box, const HeatCell& cell) {
    switch (cell.kind) {
        case HeatCell::Kind::Share:
            FillBox(drawing, box, ShareColour(cell.missingShare));
            return;
        case HeatCell::Kind::NothingExpected:
            HatchBox(drawing, box, colour::kHatch, kHatchSpacing);
            return;
        case HeatCell::Kind::NotYetDue:
            StripeBox(drawing, box, colour::kStripe, kStripeSpacing);
            return;
        case HeatCell::Kind::BeforeLogsBegin:
            HatchBox(drawing, box, colour::kBeforeLogsHatch, kCrossSpacing, true);
            return;
    }
}

// A day without cells: its whole row, total included, cross-hatched.
void DrawDayWithoutCells(Drawing& drawing, const PictureLayout& layout, int r,
                         const HeatMapRow& row) {
    const Rgb& ink =
        row.status == DayStatus::Failed ? colour::kFailedHatch : colour::kBeforeLogsHatch;
    const Box first = layout.Cell(r, 0);
    HatchBox(drawing, {layout.grid.x, first.y, layout.grid.width, first.height}, ink, kCrossSpacing,
             true);
    const Box total = layout.Total(r);
    FillBox(drawing, total, colour::kBackground);
    HatchBox(drawing, total, ink, kCrossSpacing, true);
    if (layout.rowHeight >= kTextRows) {
        const std::string text = row.status == DayStatus::Failed ? "failed" : "no logs";
        const Font font{10, true};
        const int width = TextWidth(text, font) + 6;
        const Box plate{total.x + (total.width - width) / 2, total.y, width, total.height};
        FillBox(drawing, plate, colour::kBackground);
        DrawText(drawing, plate, text, font, colour::kInk, Align::Centre);
    }
}

void DrawRow(Drawing& drawing, const PictureLayout& layout, int r, const HeatMapRow& row) {
    // Dates at least 14 pixels apart: every day, or every week of a long range.
    const int step = (14 + layout.rowHeight - 1) / layout.rowHeight;
    const Box first = layout.Cell(r, 0);
    if (r % step == 0) {
        const int height = std::max(first.height, 14);
        DrawText(
            drawing,
            {layout.labels.x, first.y + first.height / 2 - height / 2, layout.labels.width, height},
            DateLabel(row.day), Font{11}, colour::kInk, Align::Right);
    }
    if (row.status != DayStatus::Reported) {
        DrawDayWithoutCells(drawing, layout, r, row);
        return;
    }
    DrawRuns(drawing, layout, r, row.cells, DrawCell);
    const Box total = layout.Total(r);
    DrawCell(drawing, total, row.total);
    if (layout.rowHeight >= kTextRows && row.total.kind == HeatCell::Kind::Share) {
        const double percent = 100.0 * row.total.missingShare;
        const bool dark = std::sqrt(row.total.missingShare) > 0.45;
        std::string text = percent == 0.0 ? "0 %"
                           : percent < 0.1
                               ? "< 0.1 %"
                               : Formatted(percent < 10 ? "%.1f %%" : "%.0f %%", percent);
        DrawText(drawing, total, std::move(text), Font{10, true},
                 dark ? colour::kBackground : colour::kInk, Align::Centre);
    }
}

// The colour scale over the share missing, with its ticks, on the first two legend lines.
void DrawScale(Drawing& drawing, const PictureLayout& layout) {
    const int x = layout.legend.x;
    const int y = layout.legend.y;
    FillBox(drawing, {x, y, 28, 14}, ShareColour(0.0));
    const int barLeft = x + 36;
    const int barWidth = 300;
    for (int px = 0; px < barWidth; ++px) {
        const double t = (px + 0.5) / barWidth;
        FillBox(drawing, {barLeft + px, y, 1, 14}, ShareColour(t * t));
    }
    DrawText(drawing, {barLeft + barWidth + 8, y - 2, layout.legend.width - barWidth - 44, 18},
             "missing", Font{12}, colour::kInk);
    const Font font{10};
    DrawText(drawing, {x - 10, y + 16, 48, 14}, "none", font, colour::kInk, Align::Centre);
    for (const double share : {0.01, 0.05, 0.25, 0.5, 1.0}) {
        const int tick = barLeft + static_cast<int>(std::lround(std::sqrt(share) * barWidth));
        FillBox(drawing, {tick - 1, y + 14, 1, 4}, colour::kInk);
        DrawText(drawing, {tick - 24, y + 17, 48, 14}, Formatted("%g %%", share * 100), font,
                 colour::kInk, Align::Centre);
    }
}

void DrawLegend(Drawing& drawing, const PictureLayout& layout) {
    DrawScale(drawing, layout);
    DrawLegendLine(drawing, layout, 2, "nothing expected in the cycle",
                   [&](const Box& box) { HatchBox(drawing, box, colour::kHatch, kHatchSpacing); });
    DrawLegendLine(drawing, layout, 3, "before the logs begin", [&](const Box& box) {
        HatchBox(drawing, box, colour::kBeforeLogsHatch, kCrossSpacing, true);
    });
    DrawLegendLine(
        drawing, layout, 4, "the day's report failed (a bad segment mask)",
        [&](const Box& box) { HatchBox(drawing, box, colour::kFailedHatch, kCrossSpacing, true); });
    DrawLegendLine(drawing, layout, 5, "not yet due", [&](const Box& box) {
        StripeBox(drawing, box, colour::kStripe, kStripeSpacing);
    });
    DrawText(drawing, {layout.legend.x, layout.legend.y + 6 * 20 + 4, layout.legend.width, 36},
             "Each cell: the share of the segments its cycle expected (every channel,\n"
             "file, product and satellite) that did not arrive; right: the whole day.",
             Font{11}, colour::kFaintInk);
}

int CountOf(const HeatMap& map, DayStatus status) {
    int count = 0;
    for (const HeatMapRow& row : map.rows) count += row.status == status ? 1 : 0;
    return count;
}

}  // namespace

Drawing DrawHeatMap(const HeatMap& map) {
    const PictureLayout layout = LayoutHeatMap(map);
    Drawing drawing = BeginSheet(layout, "Gapscope heat map", Title(map),
                                 "Share of the expected segments missing, UTC: one row per day, "
                                 "one column per repeat cycle of " +
                                     std::to_string(map.cycleMinutes) + " minutes",
                                 map.facts.version);
    DrawText(drawing, {layout.totals.x, layout.axis.y, layout.totals.width, 14}, "day", Font{11},
             colour::kInk, Align::Centre);
    for (int r = 0; r < layout.rows; ++r)
        DrawRow(drawing, layout, r, map.rows[static_cast<std::size_t>(r)]);
    DrawLegend(drawing, layout);
    std::vector<std::pair<std::string, int>> counts = {
        {"days reported", CountOf(map, DayStatus::Reported)},
        {"days before the logs begin", CountOf(map, DayStatus::BeforeLogsBegin)},
        {"days whose report failed", CountOf(map, DayStatus::Failed)}};
    for (auto& line : SummaryCountLines(map.totals)) counts.push_back(std::move(line));
    DrawCounts(drawing, layout, "The range's counts", counts);
    return drawing;
}

}  // namespace gapscope::pictures
