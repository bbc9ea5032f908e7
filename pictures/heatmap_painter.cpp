#include "pictures/heatmap_painter.h"

#include <QPainter>
#include <array>
#include <cmath>

#include "pictures/drawing.h"
#include "pictures/picture_file.h"
#include "pictures/picture_layout.h"
#include "startup/safe_name.h"

namespace gapscope::pictures {
namespace {

constexpr int kHatchSpacing = 5;
constexpr int kCrossSpacing = 4;
constexpr int kStripeSpacing = 4;
constexpr int kTextRows = 12;  // rows at least this tall carry their date and total in words

QString Title(const HeatMap& map) {
    QString title;
    if (!map.rows.empty()) {
        title = ToQString(IsoDate(map.rows.front().day)) + QStringLiteral(" to ") +
                ToQString(IsoDate(map.rows.back().day)) + QStringLiteral("  \u00b7  ");
    }
    if (!map.facts.station.empty()) title += ToQString(SafeName(map.facts.station)) + QStringLiteral("  \u00b7  ");
    return title + ToQString(std::string(ServiceName(map.service, ServiceText::Title))) +
           QStringLiteral(" service");
}

QString DateLabel(Day day) {
    static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const std::chrono::weekday weekday{day};
    return ToQString(IsoDate(day)) + QStringLiteral(" ") + QString::fromLatin1(kDays[weekday.c_encoding()]);
}

void PaintCell(QPainter& painter, const Box& box, const HeatCell& cell) {
    switch (cell.kind) {
        case HeatCell::Kind::Share:
            FillBox(painter, box, ShareColour(cell.missingShare));
            return;
        case HeatCell::Kind::NothingExpected:
            HatchBox(painter, box, colour::kHatch, kHatchSpacing);
            return;
        case HeatCell::Kind::NotYetDue:
            StripeBox(painter, box, colour::kStripe, kStripeSpacing);
            return;
        case HeatCell::Kind::BeforeLogsBegin:
            HatchBox(painter, box, colour::kBeforeLogsHatch, kCrossSpacing, true);
            return;
    }
}

// A day without cells: its whole row, total included, cross-hatched.
void PaintDayWithoutCells(QPainter& painter, const PictureLayout& layout, int r, const HeatMapRow& row) {
    const Rgb& ink =
        row.status == DayStatus::Failed ? colour::kFailedHatch : colour::kBeforeLogsHatch;
    const Box first = layout.Cell(r, 0);
    HatchBox(painter, {layout.grid.x, first.y, layout.grid.width, first.height}, ink, kCrossSpacing, true);
    const Box total = layout.Total(r);
    FillBox(painter, total, colour::kBackground);
    HatchBox(painter, total, ink, kCrossSpacing, true);
    if (layout.rowHeight >= kTextRows) {
        const QString text =
            row.status == DayStatus::Failed ? QStringLiteral("failed") : QStringLiteral("no logs");
        const QFont font = PictureFont(10, true);
        const int width = QFontMetrics(font).horizontalAdvance(text) + 6;
        const Box plate{total.x + (total.width - width) / 2, total.y, width, total.height};
        FillBox(painter, plate, colour::kBackground);
        DrawText(painter, plate, text, font, colour::kInk, Align::Centre);
    }
}

void PaintRow(QPainter& painter, const PictureLayout& layout, int r, const HeatMapRow& row) {
    // Dates at least 14 pixels apart: every day, or every week of a long range.
    const int step = (14 + layout.rowHeight - 1) / layout.rowHeight;
    const Box first = layout.Cell(r, 0);
    if (r % step == 0) {
        const int height = std::max(first.height, 14);
        DrawText(painter, {layout.labels.x, first.y + first.height / 2 - height / 2, layout.labels.width, height},
                 DateLabel(row.day), PictureFont(11), colour::kInk, Align::Right);
    }
    if (row.status != DayStatus::Reported) {
        PaintDayWithoutCells(painter, layout, r, row);
        return;
    }
    PaintRuns(painter, layout, r, row.cells, PaintCell);
    const Box total = layout.Total(r);
    PaintCell(painter, total, row.total);
    if (layout.rowHeight >= kTextRows && row.total.kind == HeatCell::Kind::Share) {
        const double percent = 100.0 * row.total.missingShare;
        const bool dark = std::sqrt(row.total.missingShare) > 0.45;
        const QString text = percent == 0.0  ? QStringLiteral("0 %")
                             : percent < 0.1 ? QStringLiteral("< 0.1 %")
                                             : QString::asprintf(percent < 10 ? "%.1f %%" : "%.0f %%", percent);
        DrawText(painter, total, text,
                 PictureFont(10, true), dark ? colour::kBackground : colour::kInk, Align::Centre);
    }
}

// The colour scale over the share missing, with its ticks, on the first two legend lines.
void PaintScale(QPainter& painter, const PictureLayout& layout) {
    const int x = layout.legend.x;
    const int y = layout.legend.y;
    FillBox(painter, {x, y, 28, 14}, ShareColour(0.0));
    const int barLeft = x + 36;
    const int barWidth = 300;
    for (int px = 0; px < barWidth; ++px) {
        const double t = (px + 0.5) / barWidth;
        FillBox(painter, {barLeft + px, y, 1, 14}, ShareColour(t * t));
    }
    DrawText(painter, {barLeft + barWidth + 8, y - 2, layout.legend.width - barWidth - 44, 18},
             QStringLiteral("missing"), PictureFont(12), colour::kInk);
    const QFont font = PictureFont(10);
    DrawText(painter, {x - 10, y + 16, 48, 14}, QStringLiteral("none"), font, colour::kInk, Align::Centre);
    for (const double share : {0.01, 0.05, 0.25, 0.5, 1.0}) {
        const int tick = barLeft + static_cast<int>(std::lround(std::sqrt(share) * barWidth));
        FillBox(painter, {tick - 1, y + 14, 1, 4}, colour::kInk);
        DrawText(painter, {tick - 24, y + 17, 48, 14}, QString::asprintf("%g %%", share * 100), font,
                 colour::kInk, Align::Centre);
    }
}

void PaintLegend(QPainter& painter, const PictureLayout& layout) {
    PaintScale(painter, layout);
    DrawLegendLine(painter, layout, 2, QStringLiteral("nothing expected in the cycle"), [&](const Box& box) {
        HatchBox(painter, box, colour::kHatch, kHatchSpacing);
    });
    DrawLegendLine(painter, layout, 3, QStringLiteral("before the logs begin"),
                   [&](const Box& box) {
                       HatchBox(painter, box, colour::kBeforeLogsHatch, kCrossSpacing, true);
                   });
    DrawLegendLine(painter, layout, 4, QStringLiteral("the day's report failed (a bad segment mask)"),
                   [&](const Box& box) { HatchBox(painter, box, colour::kFailedHatch, kCrossSpacing, true); });
    DrawLegendLine(painter, layout, 5, QStringLiteral("not yet due"), [&](const Box& box) {
        StripeBox(painter, box, colour::kStripe, kStripeSpacing);
    });
    DrawText(painter, {layout.legend.x, layout.legend.y + 6 * 20 + 4, layout.legend.width, 36},
             QStringLiteral("Each cell: the share of the segments its cycle expected (every channel,\n"
                            "file, product and satellite) that did not arrive; right: the whole day."),
             PictureFont(11), colour::kFaintInk);
}

int CountOf(const HeatMap& map, DayStatus status) {
    int count = 0;
    for (const HeatMapRow& row : map.rows) count += row.status == status ? 1 : 0;
    return count;
}

}  // namespace

QSize HeatMapSize(const HeatMap& map) {
    const PictureLayout layout = LayoutHeatMap(map);
    return {layout.width, layout.height};
}

void PaintHeatMap(QPainter& painter, const HeatMap& map) {
    const PictureLayout layout = LayoutHeatMap(map);
    BeginSheet(painter, layout, Title(map),
             QStringLiteral("Share of the expected segments missing, UTC: one row per day, one column "
                            "per repeat cycle of %1 minutes")
                 .arg(map.cycleMinutes),
             map.facts.version);
    DrawText(painter, {layout.totals.x, layout.axis.y, layout.totals.width, 14}, QStringLiteral("day"),
             PictureFont(11), colour::kInk, Align::Centre);
    for (int r = 0; r < layout.rows; ++r) PaintRow(painter, layout, r, map.rows[static_cast<std::size_t>(r)]);
    PaintLegend(painter, layout);
    std::vector<std::pair<QString, int>> counts = {
        {QStringLiteral("days reported"), CountOf(map, DayStatus::Reported)},
        {QStringLiteral("days before the logs begin"), CountOf(map, DayStatus::BeforeLogsBegin)},
        {QStringLiteral("days whose report failed"), CountOf(map, DayStatus::Failed)}};
    for (auto& line : SummaryCountLines(map.totals)) counts.push_back(std::move(line));
    DrawCounts(painter, layout, QStringLiteral("The range's counts"), counts);
    painter.restore();
}

QImage RenderHeatMap(const HeatMap& map) {
    return PaintedImage(HeatMapSize(map), [&map](QPainter& painter) { PaintHeatMap(painter, map); });
}

std::optional<std::string> SaveHeatMap(const std::filesystem::path& file, const HeatMap& map) {
    return SavePicture(file, HeatMapSize(map), QStringLiteral("Gapscope heat map"),
                       [&map](QPainter& painter) { PaintHeatMap(painter, map); });
}

}  // namespace gapscope::pictures
