#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "pictures/drawing.h"

namespace gapscope::pictures {

// A painter's PNG of a drawing, as bytes; nothing when it could not make one.
using PngPainter = std::function<std::optional<std::string>(const Drawing&)>;

// Writes `drawing` into `file`, as PNG (by `png`) or SVG (SvgOf) by its extension
// (PictureFormatOf). The picture is made in memory, then written as WriteFileInPlaceOf
// writes: replaced whole or not at all, durably. Returns why it could not be written, in
// one line, or nothing.
std::optional<std::string> SavePicture(const std::filesystem::path& file, const Drawing& drawing,
                                       const PngPainter& png);

}  // namespace gapscope::pictures
