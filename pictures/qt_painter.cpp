#include "pictures/qt_painter.h"

#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

namespace gapscope::pictures {
namespace {

QColor ToQColor(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

QFont ToQFont(const Font& font) {
    QFont qfont(QString::fromLatin1(kPictureFontFamily));
    qfont.setStyleHint(QFont::SansSerif);
    qfont.setPixelSize(font.pixels);
    qfont.setBold(font.bold);
    return qfont;
}

// Lines are drawn between pixel centres with a cosmetic pen, so that they set the pixels
// they join and no others.
void PaintLines(QPainter& painter, const std::vector<Line>& lines, const Rgb& colour) {
    painter.save();
    painter.setPen(QPen(ToQColor(colour), 0));
    for (const Line& line : lines) {
        painter.drawLine(QPointF(line.x0 + 0.5, line.y0 + 0.5),
                         QPointF(line.x1 + 0.5, line.y1 + 0.5));
    }
    painter.restore();
}

void Paint(QPainter& painter, const Fill& fill) {
    painter.fillRect(fill.box.x, fill.box.y, fill.box.width, fill.box.height,
                     ToQColor(fill.colour));
}
void Paint(QPainter& painter, const Hatch& hatch) {
    PaintLines(painter, PatternLines(hatch), hatch.colour);
}
void Paint(QPainter& painter, const Stripes& stripes) {
    PaintLines(painter, PatternLines(stripes), stripes.colour);
}
void Paint(QPainter& painter, const Line& line) {
    PaintLines(painter, {line}, line.colour);
}
// Qt lays the text out itself in the box, by the same rule as PlaceText.
void Paint(QPainter& painter, const Text& text) {
    painter.save();
    painter.setFont(ToQFont(text.font));
    painter.setPen(ToQColor(text.colour));
    const Qt::Alignment across = text.align == Align::Left    ? Qt::AlignLeft
                                 : text.align == Align::Right ? Qt::AlignRight
                                                              : Qt::AlignHCenter;
    const Box& box = text.box;
    painter.drawText(QRect(box.x, box.y, box.width, box.height), across | Qt::AlignVCenter,
                     QString::fromStdString(text.text));
    painter.restore();
}

// Qt's notes on its set-up are not the command's business; its critical messages are.
void OnlyCritical(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

}  // namespace

void PaintDrawing(QPainter& painter, const Drawing& drawing) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Shape& shape : drawing.shapes) {
        std::visit([&painter](const auto& s) { Paint(painter, s); }, shape);
    }
    painter.restore();
}

QImage RenderDrawing(const Drawing& drawing) {
    QImage image(drawing.width, drawing.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintDrawing(painter, drawing);
    painter.end();
    return image;
}

std::optional<std::string> QtPng(const Drawing& drawing) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    if (!RenderDrawing(drawing).save(&out, "PNG")) return std::nullopt;
    return bytes.toStdString();
}

OffscreenGui::OffscreenGui() {
    if (QCoreApplication::instance() != nullptr) return;
    previousHandler_ = qInstallMessageHandler(OnlyCritical);
    application_ = std::make_unique<QGuiApplication>(argc_, argv_.data());
}

OffscreenGui::~OffscreenGui() {
    if (!application_) return;
    application_.reset();
    qInstallMessageHandler(previousHandler_);
}

}  // namespace gapscope::pictures
