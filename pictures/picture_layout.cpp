#include "pictures/picture_layout.h"

#include <algorithm>

namespace gapscope::pictures {
namespace {

constexpr int kMargin = 16;
constexpr int kHourGap = 1;       // a pixel of background between the hours
constexpr int kGridWidth = 1152;  // 96 cycles of 12 pixels, or 288 of 4
constexpr int kTimelineRow = 16;
constexpr int kTimelineLabels = 190;
constexpr int kGroupGap = 6;
constexpr int kHeatMapLabels = 118;
constexpr int kLegendLine = 20;

int CellsPerHour(int cycleMinutes) { return 60 / cycleMinutes; }

// The timeline's groups of rows: MSG channels, files, products, satellites.
int GroupOf(ItemKind kind) {
    switch (kind) {
        case ItemKind::Hrit:
        case ItemKind::Lrit:
            return 0;
        case ItemKind::Prolog:
        case ItemKind::Epilog:
            return 1;
        case ItemKind::Product:
            return 2;
        case ItemKind::Fsd:
        case ItemKind::Himawari:
            break;
    }
    return 3;
}

int GridWidth(int columns, int cycleMinutes) {
    const int cellWidth = kGridWidth / columns;
    return columns * cellWidth + (columns / CellsPerHour(cycleMinutes) - 1) * kHourGap;
}

// Title, subtitle and hour axis, from the top.
void LayOutHead(PictureLayout& l, int left, int gridWidth) {
    l.title = {kMargin, kMargin, 0, 24};
    l.subtitle = {kMargin, l.title.Bottom() + 2, 0, 18};
    l.axis = {left, l.subtitle.Bottom() + 8, gridWidth, 20};
}

void LayOutFoot(PictureLayout& l, int top, int lines) {
    l.legend = {l.grid.x, top, 440, lines * kLegendLine};
    l.counts = {l.legend.Right() + 24, top, 420, lines * kLegendLine};
    l.title.width = l.subtitle.width = l.width - 2 * kMargin;
    l.height = l.legend.Bottom() + kMargin;
}

}  // namespace

Box PictureLayout::Cell(int row, int column) const {
    const int cellsPerHour = CellsPerHour(kMinutesPerDay / columns);
    const int x = grid.x + column * cellWidth + (column / cellsPerHour) * kHourGap;
    const int gap = rowHeight >= 6 ? 1 : 0;
    const int y = rowTops.empty() ? grid.y + row * rowHeight : rowTops[static_cast<std::size_t>(row)];
    return {x, y, cellWidth, rowHeight - gap};
}

Box PictureLayout::Total(int row) const {
    const Box cell = Cell(row, 0);
    return {totals.x, cell.y, totals.width, cell.height};
}

int PictureLayout::XOfMinute(int minute) const {
    const int cycleMinutes = kMinutesPerDay / columns;
    if (minute >= kMinutesPerDay) return grid.Right();
    return Cell(0, minute / cycleMinutes).x + (minute % cycleMinutes) * cellWidth / cycleMinutes;
}

PictureLayout LayoutTimeline(const Timeline& timeline) {
    PictureLayout l;
    l.columns = timeline.columns;
    l.rows = static_cast<int>(timeline.rows.size());
    l.cellWidth = kGridWidth / l.columns;
    l.rowHeight = kTimelineRow;
    const int left = kMargin + kTimelineLabels;
    const int gridWidth = GridWidth(l.columns, timeline.cycleMinutes);
    LayOutHead(l, left, gridWidth);
    l.cycleStrip = {left, l.axis.Bottom() + 2, gridWidth, 8};
    l.grid = {left, l.cycleStrip.Bottom() + 4, gridWidth, 0};
    int y = l.grid.y;
    for (std::size_t r = 0; r < timeline.rows.size(); ++r) {
        if (r > 0 && GroupOf(timeline.rows[r].kind) != GroupOf(timeline.rows[r - 1].kind)) y += kGroupGap;
        l.rowTops.push_back(y);
        y += l.rowHeight;
    }
    l.grid.height = y - l.grid.y;
    l.labels = {kMargin, l.grid.y, kTimelineLabels - 8, l.grid.height};
    l.width = l.grid.Right() + kMargin;
    LayOutFoot(l, l.grid.Bottom() + 24, 7);
    return l;
}

PictureLayout LayoutHeatMap(const HeatMap& map) {
    PictureLayout l;
    l.columns = map.columns;
    l.rows = static_cast<int>(map.rows.size());
    l.cellWidth = kGridWidth / l.columns;
    // About 720 pixels of days; a long range gets rows of two pixels.
    l.rowHeight = std::clamp(720 / std::max(l.rows, 1), 2, 20);
    const int left = kMargin + kHeatMapLabels;
    const int gridWidth = GridWidth(l.columns, map.cycleMinutes);
    LayOutHead(l, left, gridWidth);
    l.grid = {left, l.axis.Bottom() + 6, gridWidth, l.rows * l.rowHeight};
    l.labels = {kMargin, l.grid.y, kHeatMapLabels - 8, l.grid.height};
    l.totals = {l.grid.Right() + 12, l.grid.y, 64, l.grid.height};
    l.width = l.totals.Right() + kMargin;
    LayOutFoot(l, l.grid.Bottom() + 24, 10);
    return l;
}

}  // namespace gapscope::pictures
