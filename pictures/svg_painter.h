#pragma once

#include <string>

#include "pictures/drawing.h"

namespace gapscope::pictures {

// The drawing as an SVG document, written as text: a CSS pixel to a pixel of the drawing,
// edges kept crisp so that its fills and lines fall on the same pixels as the PNG's, text
// in the pictures' font placed by PlaceText.
std::string SvgOf(const Drawing& drawing);

}  // namespace gapscope::pictures
