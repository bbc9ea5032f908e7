#pragma once

#include <vector>

#include "pictures/heatmap_model.h"
#include "pictures/timeline_model.h"

namespace gapscope::pictures {

// A rectangle in pixels: x, y of its top-left corner, width and height.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    friend bool operator==(const Box&, const Box&) = default;
};

// Where the parts of a picture go: the same for the PNG, the SVG and the window, and for
// the tests that read the pixels back.
struct PictureLayout {
    int width = 0;
    int height = 0;
    Box title;
    Box subtitle;
    Box axis;         // hour labels and ticks, above the grid
    Box cycleStrip;   // timeline: the marks of the missing cycles, between axis and grid
    Box labels;       // row labels, left of the grid
    Box grid;         // the cells
    Box totals;       // heat map: the column of daily totals, right of the grid
    Box legend;
    Box counts;       // beside the legend
    int cellWidth = 0;
    int rowHeight = 0;  // pitch of the rows; a cell is one pixel less where rows are tall
    int columns = 0;
    int rows = 0;
    // The top of each row: the timeline leaves a gap between its groups of rows.
    std::vector<int> rowTops;

    // The cell of a row and column.
    Box Cell(int row, int column) const;
    // Heat map: the daily total of a row.
    Box Total(int row) const;
    // The x of the left edge of a minute of the day.
    int XOfMinute(int minute) const;
};

PictureLayout LayoutTimeline(const Timeline& timeline);
PictureLayout LayoutHeatMap(const HeatMap& map);

}  // namespace gapscope::pictures
