#pragma once

#include <QSize>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QPainter;

namespace gapscope::pictures {

// Writes a picture of `size` pixels into `file`, as PNG or SVG by its extension
// (PictureFormatOf), painted by `paint`. The file is replaced whole or not at all. Returns
// why it could not be written, or nothing.
std::optional<std::string> SavePicture(const std::filesystem::path& file, QSize size,
                                       const QString& title,
                                       const std::function<void(QPainter&)>& paint);

// Painting text needs a Qt GUI application. A program without one (gapscope-report) gets
// one on Qt's offscreen platform, whatever the display, with Qt's own notes kept off its
// standard error; a program that has one keeps it.
void EnsureGuiApplication();

}  // namespace gapscope::pictures
