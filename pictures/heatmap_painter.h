#pragma once

#include <QImage>
#include <QSize>
#include <filesystem>
#include <optional>
#include <string>

#include "pictures/heatmap_model.h"

class QPainter;

namespace gapscope::pictures {

QSize HeatMapSize(const HeatMap& map);
// Paints the heat map on a device of HeatMapSize, from its top-left corner.
void PaintHeatMap(QPainter& painter, const HeatMap& map);
QImage RenderHeatMap(const HeatMap& map);
// Writes the heat map as SavePicture does: PNG or SVG by the extension; why not, or nothing.
std::optional<std::string> SaveHeatMap(const std::filesystem::path& file, const HeatMap& map);

}  // namespace gapscope::pictures
