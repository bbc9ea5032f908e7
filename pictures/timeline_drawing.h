#pragma once

#include "pictures/drawing.h"
#include "pictures/timeline_model.h"

namespace gapscope::pictures {

// The day's timeline as a drawing, laid out by LayoutTimeline.
Drawing DrawTimeline(const Timeline& timeline);

}  // namespace gapscope::pictures
