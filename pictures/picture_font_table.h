#pragma once

#include <cstdint>
#include <span>

namespace gapscope::pictures {

// Advances of consecutive characters from `first`, in font units.
struct AdvanceBlock {
    char32_t first;
    std::span<const std::uint16_t> advances;
};

// What the layouts know of a face of the pictures' font: its metrics in font units and its
// characters' advances (picture_font_table.cpp, made by scripts/make-picture-font.py).
struct FontFace {
    int unitsPerEm;
    int ascender;
    int descender;  // below the baseline, positive
    int fallback;   // the advance of a character the blocks do not hold
    std::span<const AdvanceBlock> blocks;
};

const FontFace& PictureFontFace(bool bold);

}  // namespace gapscope::pictures
