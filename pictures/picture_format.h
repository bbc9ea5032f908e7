#pragma once

#include <optional>
#include <string_view>

#include "history/items.h"

namespace gapscope::pictures {

enum class PictureFormat { Png, Svg };

// The format a picture file is written in, by its name's extension (letter case ignored):
// ".png" or ".svg"; none for any other name.
inline std::optional<PictureFormat> PictureFormatOf(std::string_view fileName) {
    const auto endsWith = [&](std::string_view extension) {
        return fileName.size() > extension.size() &&
               EqualsIgnoreCase(fileName.substr(fileName.size() - extension.size()), extension);
    };
    if (endsWith(".png")) return PictureFormat::Png;
    if (endsWith(".svg")) return PictureFormat::Svg;
    return std::nullopt;
}

}  // namespace gapscope::pictures
