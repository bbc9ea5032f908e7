#include "window_qt/form_timeline.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "pictures/picture_file.h"
#include "pictures/picture_format.h"
#include "pictures/qt_painter.h"
#include "pictures/timeline_drawing.h"

namespace gapscope {

TFormTimeline::TFormTimeline(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FormTimeline"));
    ScrollAreaPicture = new QScrollArea(this);
    ScrollAreaPicture->setObjectName(QStringLiteral("ScrollAreaPicture"));
    LabelPicture = new QLabel;
    LabelPicture->setObjectName(QStringLiteral("LabelPicture"));
    ScrollAreaPicture->setWidget(LabelPicture);
    ScrollAreaPicture->setBackgroundRole(QPalette::Base);
    ButtonSavePicture = new QPushButton(QStringLiteral("Save picture..."), this);
    ButtonSavePicture->setObjectName(QStringLiteral("ButtonSavePicture"));
    ButtonClosePicture = new QPushButton(QStringLiteral("Close"), this);
    ButtonClosePicture->setObjectName(QStringLiteral("ButtonClosePicture"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonSavePicture);
    buttons->addWidget(ButtonClosePicture);
    auto* column = new QVBoxLayout(this);
    column->addWidget(ScrollAreaPicture);
    column->addLayout(buttons);

    connect(ButtonSavePicture, &QPushButton::clicked, this, [this] { ButtonSavePictureClick(); });
    connect(ButtonClosePicture, &QPushButton::clicked, this, &QWidget::close);
    chooseFile = [](QWidget* parent, const QString& suggested) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Save the picture"), suggested,
                                            QStringLiteral("PNG image (*.png);;SVG drawing (*.svg)"));
    };
    showError = [](QWidget* parent, const QString& text) {
        QMessageBox::warning(parent, QStringLiteral("Gapscope"), text);
    };
}

void TFormTimeline::ShowFindings(const Findings& findings, const pictures::PictureFacts& facts,
                                 const QString& folder) {
    const bool first = !timeline_;
    timeline_ = pictures::BuildTimeline(findings, facts);
    image_ = pictures::RenderDrawing(pictures::DrawTimeline(*timeline_));
    folder_ = folder;
    setWindowTitle(QStringLiteral("Day timeline ") + QString::fromStdString(IsoDate(findings.day)) +
                   QStringLiteral(" - Gapscope"));
    if (first) {
        // The whole picture where the screen has room for it, else as wide as the screen.
        QSize size = image_.size() + QSize(40, 80);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            size = size.boundedTo(screen->availableGeometry().size());
        }
        resize(size);
    }
    FitPicture();
}

void TFormTimeline::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitPicture();
}

void TFormTimeline::FitPicture() {
    if (image_.isNull()) return;
    // Scaled down to the width there is, never up: the evening hours need no sideways scroll.
    const QSize room = ScrollAreaPicture->maximumViewportSize();
    int width = room.width();
    const auto heightAt = [&](int w) {
        return static_cast<int>(static_cast<qint64>(image_.height()) * w / image_.width());
    };
    if (heightAt(std::min(width, image_.width())) > room.height()) {
        width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ScrollAreaPicture);
    }
    const QImage shown = image_.width() > width && width > 0
                             ? image_.scaledToWidth(width, Qt::SmoothTransformation)
                             : image_;
    LabelPicture->setPixmap(QPixmap::fromImage(shown));
    LabelPicture->resize(shown.size());
}

void TFormTimeline::ButtonSavePictureClick() {
    if (!timeline_) return;
    const QString suggested =
        QDir(folder_).filePath(QString::fromStdString(IsoDate(timeline_->day)) + QStringLiteral("-timeline.png"));
    QString chosen = chooseFile ? chooseFile(this, suggested) : QString();
    if (chosen.isEmpty()) return;
    if (!pictures::PictureFormatOf(chosen.toStdString())) chosen += QStringLiteral(".png");
    const auto problem = pictures::SavePicture(std::filesystem::path(chosen.toStdU16String()),
                                               pictures::DrawTimeline(*timeline_), pictures::QtPng);
    if (problem && showError) {
        showError(this, QStringLiteral("The picture could not be saved: ") + QString::fromStdString(*problem));
    }
}

}  // namespace gapscope
