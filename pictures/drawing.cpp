#include "pictures/drawing.h"

#include <QPainter>
#include <algorithm>

namespace gapscope::pictures {

QColor ToQColor(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

QFont PictureFont(int pixels, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void FillBox(QPainter& painter, const Box& box, const Rgb& colour) {
    painter.fillRect(box.x, box.y, box.width, box.height, ToQColor(colour));
}

namespace {

// The pixels of a box are x..x+width-1 and y..y+height-1; lines are drawn between pixel
// centres, so that they stay inside the box whatever the device.
void DiagonalLines(QPainter& painter, const Box& box, int spacing, bool rising) {
    const int left = box.x, right = box.Right() - 1, top = box.y, bottom = box.Bottom() - 1;
    if (right < left || bottom < top) return;
    // Rising lines are x + y = c, falling ones x - y = c; c on a grid of the whole picture.
    const int first = rising ? left + top : left - bottom;
    const int last = rising ? right + bottom : right - top;
    int c = first - ((first % spacing) + spacing) % spacing;
    for (; c <= last; c += spacing) {
        int x0, x1;
        if (rising) {
            x0 = std::max(left, c - bottom);
            x1 = std::min(right, c - top);
        } else {
            x0 = std::max(left, c + top);
            x1 = std::min(right, c + bottom);
        }
        if (x0 > x1) continue;
        const auto y = [&](int x) { return rising ? c - x : x - c; };
        painter.drawLine(QPointF(x0 + 0.5, y(x0) + 0.5), QPointF(x1 + 0.5, y(x1) + 0.5));
    }
}

}  // namespace

void HatchBox(QPainter& painter, const Box& box, const Rgb& colour, int spacing, bool cross) {
    painter.save();
    painter.setPen(QPen(ToQColor(colour), 0));
    DiagonalLines(painter, box, spacing, true);
    if (cross) DiagonalLines(painter, box, spacing, false);
    painter.restore();
}

void StripeBox(QPainter& painter, const Box& box, const Rgb& colour, int spacing) {
    painter.save();
    painter.setPen(QPen(ToQColor(colour), 0));
    for (int x = box.x + ((spacing - box.x % spacing) % spacing); x < box.Right(); x += spacing) {
        painter.drawLine(QPointF(x + 0.5, box.y + 0.5), QPointF(x + 0.5, box.Bottom() - 0.5));
    }
    painter.restore();
}

void DrawText(QPainter& painter, const Box& box, const QString& text, const QFont& font,
              const Rgb& colour, Align align) {
    painter.save();
    painter.setFont(font);
    painter.setPen(ToQColor(colour));
    const Qt::Alignment horizontal = align == Align::Left    ? Qt::AlignLeft
                                     : align == Align::Right ? Qt::AlignRight
                                                             : Qt::AlignHCenter;
    painter.drawText(QRect(box.x, box.y, box.width, box.height), horizontal | Qt::AlignVCenter, text);
    painter.restore();
}

void BeginSheet(QPainter& painter, const PictureLayout& layout, const QString& title,
                const QString& subtitle, const std::string& version) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    FillBox(painter, {0, 0, layout.width, layout.height}, colour::kBackground);
    DrawText(painter, layout.title, title, PictureFont(18, true), colour::kInk);
    DrawText(painter, layout.title, QStringLiteral("Gapscope V") + ToQString(version),
             PictureFont(12), colour::kFaintInk, Align::Right);
    DrawText(painter, layout.subtitle, subtitle, PictureFont(12), colour::kFaintInk);
    DrawHourAxis(painter, layout);
}

void DrawHourAxis(QPainter& painter, const PictureLayout& layout) {
    const QFont font = PictureFont(11);
    painter.save();
    painter.setPen(QPen(ToQColor(colour::kFaintInk), 0));
    for (int hour = 0; hour <= 24; ++hour) {
        const int x = hour < 24 ? layout.XOfMinute(hour * 60) : layout.grid.Right();
        painter.drawLine(QPointF(x + 0.5, layout.axis.Bottom() - 5.5),
                         QPointF(x + 0.5, layout.axis.Bottom() - 0.5));
        if (hour < 24) {
            DrawText(painter, {x - 12, layout.axis.y, 24, 14}, QString::asprintf("%02d", hour),
                     font, colour::kInk, Align::Centre);
        }
    }
    painter.restore();
}

void DrawCounts(QPainter& painter, const PictureLayout& layout, const QString& heading,
                const std::vector<std::pair<QString, int>>& counts) {
    const Box& at = layout.counts;
    DrawText(painter, {at.x, at.y - 2, at.width, 18}, heading, PictureFont(12, true), colour::kInk);
    int y = at.y + 20;
    for (const auto& [name, count] : counts) {
        DrawText(painter, {at.x, y - 2, at.width - 80, 18}, name, PictureFont(12), colour::kInk);
        DrawText(painter, {at.Right() - 80, y - 2, 80, 18}, QString::number(count),
                 PictureFont(12, true), colour::kInk, Align::Right);
        y += 20;
    }
}

std::vector<std::pair<QString, int>> SummaryCountLines(const DaySummary& summary) {
    return {{QStringLiteral("missing repeat cycles"), summary.missingCycles},
            {QStringLiteral("channels and files incomplete or missing"), summary.channels},
            {QStringLiteral("their missing segments"), summary.segments},
            {QStringLiteral("late segments"), summary.lateSegments},
            {QStringLiteral("missing products"), summary.products},
            {QStringLiteral("missing sequence numbers"), summary.sequenceNumbers}};
}

}  // namespace gapscope::pictures
