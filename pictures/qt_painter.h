#pragma once

#include <QImage>
#include <QtGlobal>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "pictures/drawing.h"

class QGuiApplication;
class QPainter;

namespace gapscope::pictures {

// Paints the drawing on a device of its size, from its top-left corner.
void PaintDrawing(QPainter& painter, const Drawing& drawing);
// The drawing on a white image of its size.
QImage RenderDrawing(const Drawing& drawing);
// The drawing as PNG bytes (a PngPainter); nothing when Qt could not make them.
std::optional<std::string> QtPng(const Drawing& drawing);

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
