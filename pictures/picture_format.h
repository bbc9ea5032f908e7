#pragma once

#include <optional>
#include <string_view>

namespace gapscope::pictures {

enum class PictureFormat { Png, Svg };

// The format a picture file is written in, by its name's extension (letter case ignored):
// ".png" or ".svg"; none for any other name.
inline std::optional<PictureFormat> PictureFormatOf(std::string_view fileName) {
    const auto endsWith = [&](std::string_view extension) {
        if (fileName.size() <= extension.size()) return false;
        const std::string_view tail = fileName.substr(fileName.size() - extension.size());
        for (std::size_t i = 0; i < tail.size(); ++i) {
            const char c = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] - 'A' + 'a') : tail[i];
            if (c != extension[i]) return false;
        }
        return true;
    };
    if (endsWith(".png")) return PictureFormat::Png;
    if (endsWith(".svg")) return PictureFormat::Svg;
    return std::nullopt;
}

}  // namespace gapscope::pictures
