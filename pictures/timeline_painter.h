#pragma once

#include <QImage>
#include <QSize>
#include <filesystem>
#include <optional>
#include <string>

#include "pictures/timeline_model.h"

class QPainter;

namespace gapscope::pictures {

QSize TimelineSize(const Timeline& timeline);
// Paints the timeline on a device of TimelineSize, from its top-left corner.
void PaintTimeline(QPainter& painter, const Timeline& timeline);
QImage RenderTimeline(const Timeline& timeline);
// Writes the timeline as SavePicture does: PNG or SVG by the extension; why not, or nothing.
std::optional<std::string> SaveTimeline(const std::filesystem::path& file, const Timeline& timeline);

}  // namespace gapscope::pictures
