#include "pictures/timeline_drawing.h"

#include "pictures/picture_layout.h"
#include "startup/safe_name.h"

namespace gapscope::pictures {
namespace {

constexpr int kHatchSpacing = 5;
constexpr int kStripeSpacing = 4;
constexpr int kCrossSpacing = 4;

std::string Title(const Timeline& t) {
    std::string service = std::string(ServiceName(t.service, ServiceText::Title)) + " service";
    if (t.parallel) service += ", parallel scan";
    if (t.himawari) service += ", Himawari report";
    std::string title = IsoDate(t.day) + "  \u00b7  ";
    if (!t.facts.station.empty()) title += SafeName(t.facts.station) + "  \u00b7  ";
    return title + service;
}

// A run of cells of one row that look alike: drawn as one box.
void DrawRun(Drawing& drawing, const Box& box, const TimelineCell& cell) {
    switch (cell.state) {
        case CellState::NotExpected:
            HatchBox(drawing, box, colour::kHatch, kHatchSpacing);
            return;
        case CellState::NotYetDue:
            StripeBox(drawing, box, colour::kStripe, kStripeSpacing);
            return;
        case CellState::BeforeLogsBegin:
            HatchBox(drawing, box, colour::kBeforeLogsHatch, kCrossSpacing, true);
            return;
        case CellState::Late:
            FillBox(drawing, box, colour::kReceived);
            // A dark band across the middle half: late stays apart from the fills in grey.
            FillBox(drawing,
                    {box.x, box.y + box.height / 4, box.width, box.height - 2 * (box.height / 4)},
                    colour::kLate);
            return;
        case CellState::Received:
        case CellState::Incomplete:
        case CellState::Missing:
            FillBox(drawing, box, CellColour(cell));
            return;
    }
}

void DrawRow(Drawing& drawing, const PictureLayout& layout, int r, const TimelineRow& row) {
    DrawRuns(drawing, layout, r, row.cells, DrawRun);

    const Box cell = layout.Cell(r, 0);
    const Box label{layout.labels.x, cell.y - 1, layout.labels.width, cell.height + 2};
    std::string text = row.label;
    if (!row.expectedAtAll) text += " (not expected)";
    if (row.absentAllDay) text += " (absent all day)";
    const Rgb& ink = row.absentAllDay    ? colour::kMissing
                     : row.expectedAtAll ? colour::kInk
                                         : colour::kFaintInk;
    DrawText(drawing, label, std::move(text), Font{12, row.absentAllDay}, ink, Align::Right);
}

void DrawMissingCycles(Drawing& drawing, const PictureLayout& layout, const Timeline& t) {
    const Box strip = layout.cycleStrip;
    DrawText(drawing, {layout.labels.x, strip.y - 5, layout.labels.width, strip.height + 10},
             "missing cycles", Font{11}, colour::kFaintInk, Align::Right);
    FillBox(drawing, {strip.x, strip.Bottom() - 1, strip.width, 1}, colour::kHatch);
    for (int c = 0; c < layout.columns; ++c) {
        if (!t.missingCycle[static_cast<std::size_t>(c)]) continue;
        const Box cell = layout.Cell(0, c);
        FillBox(drawing, {cell.x, strip.y, cell.width, strip.height}, colour::kMissing);
    }
}

// A mark above the first cycle not yet due; the cells under it are striped.
void DrawNow(Drawing& drawing, const PictureLayout& layout, int column) {
    const int x = column < layout.columns ? layout.Cell(0, column).x : layout.grid.Right();
    FillBox(drawing, {x, layout.cycleStrip.y - 4, 2, layout.grid.y - layout.cycleStrip.y + 4},
            colour::kInk);
}

void DrawLegend(Drawing& drawing, const PictureLayout& layout) {
    const auto fill = [&](const Rgb& colour) {
        return [&drawing, colour](const Box& box) { FillBox(drawing, box, colour); };
    };
    const auto like = [&](CellState state) {
        return [&drawing, state](const Box& box) { DrawRun(drawing, box, {state, 0.0}); };
    };
    DrawLegendLine(drawing, layout, 0, "received in full", fill(colour::kReceived));
    DrawLegendLine(drawing, layout, 1, "received, some of it late", like(CellState::Late));
    DrawLegendLine(drawing, layout, 2, "incomplete: a quarter, half, three quarters missing",
                   [&](const Box& box) {
                       for (int i = 0; i < 3; ++i) {
                           FillBox(drawing,
                                   {box.x + i * box.width / 3, box.y,
                                    box.width / 3 + (i == 2 ? box.width % 3 : 0), box.height},
                                   IncompleteColour(0.25 * (i + 1)));
                       }
                   });
    DrawLegendLine(drawing, layout, 3, "missing", fill(colour::kMissing));
    DrawLegendLine(drawing, layout, 4, "not expected on the day's calendar, or not checked",
                   like(CellState::NotExpected));
    DrawLegendLine(drawing, layout, 5, "not yet due", like(CellState::NotYetDue));
    DrawLegendLine(drawing, layout, 6, "before the logs begin", like(CellState::BeforeLogsBegin));
}

}  // namespace

Drawing DrawTimeline(const Timeline& t) {
    const PictureLayout layout = LayoutTimeline(t);
    Drawing drawing =
        BeginSheet(layout, "Gapscope day timeline", Title(t),
                   "The day's timeline, UTC: one column per repeat cycle of " +
                       std::to_string(t.cycleMinutes) +
                       " minutes, one row per channel, file, product or satellite expected",
                   t.facts.version);
    DrawMissingCycles(drawing, layout, t);
    for (int r = 0; r < layout.rows; ++r)
        DrawRow(drawing, layout, r, t.rows[static_cast<std::size_t>(r)]);
    if (t.firstNotYetDue) DrawNow(drawing, layout, *t.firstNotYetDue);
    DrawLegend(drawing, layout);
    DrawCounts(drawing, layout, "The day's counts", SummaryCountLines(t.counts));
    return drawing;
}

}  // namespace gapscope::pictures
