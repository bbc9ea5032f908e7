#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QGuiApplication;
class QPainter;

namespace gapscope::pictures {

// Writes a picture of `size` pixels into `file`, as PNG or SVG by its extension
// (PictureFormatOf), painted by `paint`. The picture is made in memory, then written as
// WriteFileInPlaceOf writes: replaced whole or not at all, durably. Returns why it could not
// be written, in one line, or nothing.
std::optional<std::string> SavePicture(const std::filesystem::path& file, QSize size,
                                       const QString& title,
                                       const std::function<void(QPainter&)>& paint);

// Painting text needs a Qt GUI application. While this lives, a program without one
// (gapscope-picture) has one on Qt's offscreen platform, whatever the display, with Qt's own
// notes kept off its standard error; a program that has one keeps it.
class OffscreenGui {
  public:
    OffscreenGui();
    ~OffscreenGui();
    OffscreenGui(const OffscreenGui&) = delete;
    OffscreenGui& operator=(const OffscreenGui&) = delete;

  private:
    // The application's command line, which must outlive it (Qt takes out what it reads).
    std::string name_ = "gapscope-picture";
    std::string platformOption_ = "-platform";
    std::string platform_ = "offscreen";
    int argc_ = 3;
    std::array<char*, 4> argv_{name_.data(), platformOption_.data(), platform_.data(), nullptr};
    std::unique_ptr<QGuiApplication> application_;
    QtMessageHandler previousHandler_ = nullptr;
};

}  // namespace gapscope::pictures
