#pragma once

#include <QImage>
#include <QSize>

#include "pictures/heatmap_model.h"

class QPainter;

namespace gapscope::pictures {

QSize HeatMapSize(const HeatMap& map);
// Paints the heat map on a device of HeatMapSize, from its top-left corner.
void PaintHeatMap(QPainter& painter, const HeatMap& map);
QImage RenderHeatMap(const HeatMap& map);

}  // namespace gapscope::pictures
