#pragma once

#include "pictures/drawing.h"
#include "pictures/heatmap_model.h"

namespace gapscope::pictures {

// The range's heat map as a drawing, laid out by LayoutHeatMap.
Drawing DrawHeatMap(const HeatMap& map);

}  // namespace gapscope::pictures
