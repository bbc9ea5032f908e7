#include "pictures/picture_file.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

#include "files/replace_file.h"
#include "pictures/drawing.h"
#include "pictures/picture_format.h"
#include "startup/system_text.h"

namespace gapscope::pictures {
namespace {

// Qt's notes on its set-up are not the command's business; its critical messages are.
void OnlyCritical(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

// The picture's bytes, made in memory: the file is then written as every other file is,
// and a failure is said once in words of its own, never by the image library.
std::optional<QByteArray> PictureBytes(PictureFormat format, QSize size, const QString& title,
                                       const std::function<void(QPainter&)>& paint) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    if (format == PictureFormat::Png) {
        if (!PaintedImage(size, paint).save(&out, "PNG")) return std::nullopt;
        return bytes;
    }
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    // Its size in millimetres at 96 dots per inch: one pixel of the PNG is one CSS pixel.
    svg.setResolution(96);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(title);
    svg.setDescription(QStringLiteral("Made by Gapscope from a station's history logs"));
    QPainter painter;
    if (!painter.begin(&svg)) return std::nullopt;
    paint(painter);
    painter.end();
    return bytes;
}

}  // namespace

std::optional<std::string> SavePicture(const std::filesystem::path& file, QSize size,
                                       const QString& title,
                                       const std::function<void(QPainter&)>& paint) {
    const std::optional<PictureFormat> format = PictureFormatOf(TextOfPath(file));
    if (!format) return "the picture's name must end in .png or .svg: " + TextOfPath(file);
    const std::optional<QByteArray> bytes = PictureBytes(*format, size, title, paint);
    if (!bytes) {
        return std::string("the ") + (*format == PictureFormat::Png ? "PNG" : "SVG") +
               " image could not be made";
    }
    return WriteFileInPlaceOf(file, std::string_view(bytes->constData(),
                                                     static_cast<std::size_t>(bytes->size())));
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
