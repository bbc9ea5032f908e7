#include "pictures/timeline_painter.h"

#include <QPainter>

#include "pictures/drawing.h"
#include "pictures/picture_file.h"
#include "pictures/picture_layout.h"
#include "startup/safe_name.h"

namespace gapscope::pictures {
namespace {

constexpr int kHatchSpacing = 5;
constexpr int kStripeSpacing = 4;
constexpr int kCrossSpacing = 4;

QString Title(const Timeline& t) {
    QString service = ToQString(std::string(ServiceName(t.service, ServiceText::Title))) +
                      QStringLiteral(" service");
    if (t.parallel) service += QStringLiteral(", parallel scan");
    if (t.himawari) service += QStringLiteral(", Himawari report");
    QString title = ToQString(IsoDate(t.day)) + QStringLiteral("  \u00b7  ");
    if (!t.facts.station.empty()) title += ToQString(SafeName(t.facts.station)) + QStringLiteral("  \u00b7  ");
    return title + service;
}

// A run of cells of one row that look alike: painted as one box.
void PaintRun(QPainter& painter, const Box& box, const TimelineCell& cell) {
    switch (cell.state) {
        case CellState::NotExpected:
            HatchBox(painter, box, colour::kHatch, kHatchSpacing);
            return;
        case CellState::NotYetDue:
            StripeBox(painter, box, colour::kStripe, kStripeSpacing);
            return;
        case CellState::BeforeLogsBegin:
            HatchBox(painter, box, colour::kBeforeLogsHatch, kCrossSpacing, true);
            return;
        case CellState::Late:
            FillBox(painter, box, colour::kReceived);
            // A dark band across the middle half: late stays apart from the fills in grey.
            FillBox(painter, {box.x, box.y + box.height / 4, box.width, box.height - 2 * (box.height / 4)},
                    colour::kLate);
            return;
        case CellState::Received:
        case CellState::Incomplete:
        case CellState::Missing:
            FillBox(painter, box, CellColour(cell));
            return;
    }
}

void PaintRow(QPainter& painter, const PictureLayout& layout, int r, const TimelineRow& row) {
    PaintRuns(painter, layout, r, row.cells, PaintRun);

    const Box cell = layout.Cell(r, 0);
    const Box label{layout.labels.x, cell.y - 1, layout.labels.width, cell.height + 2};
    QString text = ToQString(row.label);
    if (!row.expectedAtAll) text += QStringLiteral(" (not expected)");
    if (row.absentAllDay) text += QStringLiteral(" (absent all day)");
    const Rgb& ink = row.absentAllDay ? colour::kMissing : row.expectedAtAll ? colour::kInk : colour::kFaintInk;
    DrawText(painter, label, text, PictureFont(12, row.absentAllDay), ink, Align::Right);
}

void PaintMissingCycles(QPainter& painter, const PictureLayout& layout, const Timeline& t) {
    const Box strip = layout.cycleStrip;
    DrawText(painter, {layout.labels.x, strip.y - 5, layout.labels.width, strip.height + 10},
             QStringLiteral("missing cycles"), PictureFont(11), colour::kFaintInk, Align::Right);
    FillBox(painter, {strip.x, strip.Bottom() - 1, strip.width, 1}, colour::kHatch);
    for (int c = 0; c < layout.columns; ++c) {
        if (!t.missingCycle[static_cast<std::size_t>(c)]) continue;
        const Box cell = layout.Cell(0, c);
        FillBox(painter, {cell.x, strip.y, cell.width, strip.height}, colour::kMissing);
    }
}

// A mark above the first cycle not yet due; the cells under it are striped.
void PaintNow(QPainter& painter, const PictureLayout& layout, int column) {
    const int x = column < layout.columns ? layout.Cell(0, column).x : layout.grid.Right();
    FillBox(painter, {x, layout.cycleStrip.y - 4, 2, layout.grid.y - layout.cycleStrip.y + 4}, colour::kInk);
}

void PaintLegend(QPainter& painter, const PictureLayout& layout) {
    const auto fill = [&](const Rgb& colour) {
        return [&painter, colour](const Box& box) { FillBox(painter, box, colour); };
    };
    DrawLegendLine(painter, layout, 0, QStringLiteral("received in full"), fill(colour::kReceived));
    DrawLegendLine(painter, layout, 1, QStringLiteral("received, some of it late"), [&](const Box& box) {
        PaintRun(painter, box, {CellState::Late, 0.0});
    });
    DrawLegendLine(painter, layout, 2, QStringLiteral("incomplete: a quarter, half, three quarters missing"),
                   [&](const Box& box) {
        for (int i = 0; i < 3; ++i) {
            FillBox(painter, {box.x + i * box.width / 3, box.y, box.width / 3 + (i == 2 ? box.width % 3 : 0), box.height},
                    IncompleteColour(0.25 * (i + 1)));
        }
    });
    DrawLegendLine(painter, layout, 3, QStringLiteral("missing"), fill(colour::kMissing));
    DrawLegendLine(painter, layout, 4, QStringLiteral("not expected on the day's calendar, or not checked"),
                   [&](const Box& box) { PaintRun(painter, box, {CellState::NotExpected, 0.0}); });
    DrawLegendLine(painter, layout, 5, QStringLiteral("not yet due"),
                   [&](const Box& box) { PaintRun(painter, box, {CellState::NotYetDue, 0.0}); });
    DrawLegendLine(painter, layout, 6, QStringLiteral("before the logs begin"),
                   [&](const Box& box) {
                       PaintRun(painter, box, {CellState::BeforeLogsBegin, 0.0});
                   });
}

}  // namespace

QSize TimelineSize(const Timeline& timeline) {
    const PictureLayout layout = LayoutTimeline(timeline);
    return {layout.width, layout.height};
}

void PaintTimeline(QPainter& painter, const Timeline& t) {
    const PictureLayout layout = LayoutTimeline(t);
    BeginSheet(painter, layout, Title(t),
             QStringLiteral("The day's timeline, UTC: one column per repeat cycle of %1 minutes, "
                            "one row per channel, file, product or satellite expected")
                 .arg(t.cycleMinutes),
             t.facts.version);
    PaintMissingCycles(painter, layout, t);
    for (int r = 0; r < layout.rows; ++r) PaintRow(painter, layout, r, t.rows[static_cast<std::size_t>(r)]);
    if (t.firstNotYetDue) PaintNow(painter, layout, *t.firstNotYetDue);
    PaintLegend(painter, layout);
    DrawCounts(painter, layout, QStringLiteral("The day's counts"), SummaryCountLines(t.counts));
    painter.restore();
}

QImage RenderTimeline(const Timeline& timeline) {
    return PaintedImage(TimelineSize(timeline),
                        [&timeline](QPainter& painter) { PaintTimeline(painter, timeline); });
}

std::optional<std::string> SaveTimeline(const std::filesystem::path& file, const Timeline& timeline) {
    return SavePicture(file, TimelineSize(timeline), QStringLiteral("Gapscope day timeline"),
                       [&timeline](QPainter& painter) { PaintTimeline(painter, timeline); });
}

}  // namespace gapscope::pictures
