#include "pictures/picture_file.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cstdio>

#include "pictures/drawing.h"
#include "pictures/picture_format.h"
#include "startup/system_text.h"

namespace gapscope::pictures {
namespace {

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

// Qt's notes on its set-up are not the command's business; its critical messages are.
void OnlyCritical(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

}  // namespace

std::optional<std::string> SavePicture(const std::filesystem::path& file, QSize size,
                                       const QString& title,
                                       const std::function<void(QPainter&)>& paint) {
    const std::optional<PictureFormat> format = PictureFormatOf(TextOfPath(file));
    if (!format) return "the picture's name must end in .png or .svg: " + TextOfPath(file);
    QSaveFile out(PathText(file));
    if (!out.open(QIODevice::WriteOnly)) {
        return "cannot write " + TextOfPath(file) + ": " + out.errorString().toStdString();
    }
    if (*format == PictureFormat::Png) {
        const QImage image = PaintedImage(size, paint);
        if (!image.save(&out, "PNG")) {
            out.cancelWriting();
            return "cannot write " + TextOfPath(file) + ": " + out.errorString().toStdString();
        }
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        // Its size in millimetres at 96 dots per inch: one pixel of the PNG is one CSS pixel.
        svg.setResolution(96);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(title);
        svg.setDescription(QStringLiteral("Made by Gapscope from a station's history logs"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            out.cancelWriting();
            return "cannot write " + TextOfPath(file) + ": the SVG could not be started";
        }
        paint(painter);
        painter.end();
    }
    if (!out.commit()) return "cannot write " + TextOfPath(file) + ": " + out.errorString().toStdString();
    return std::nullopt;
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
