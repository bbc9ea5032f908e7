#include "pictures/picture_font.h"

#include <cmath>

#include "history/log_text.h"
#include "pictures/picture_font_table.h"

namespace gapscope::pictures {
namespace {

int AdvanceOf(const FontFace& face, char32_t c) {
    for (const AdvanceBlock& block : face.blocks) {
        if (c >= block.first && c - block.first < block.advances.size()) {
            return block.advances[c - block.first];
        }
    }
    return face.fallback;
}

double Pixels(const Font& font, int units) {
    return static_cast<double>(units) * font.pixels / PictureFontFace(font.bold).unitsPerEm;
}

}  // namespace

double CharacterAdvance(char32_t c, const Font& font) {
    return Pixels(font, AdvanceOf(PictureFontFace(font.bold), c));
}

double TextAdvance(std::string_view text, const Font& font) {
    const FontFace& face = PictureFontFace(font.bold);
    int units = 0;
    for (const char32_t c : Characters(text)) units += AdvanceOf(face, c);
    return Pixels(font, units);
}

int TextWidth(std::string_view text, const Font& font) {
    return static_cast<int>(std::lround(TextAdvance(text, font)));
}

double Ascent(const Font& font) {
    return Pixels(font, PictureFontFace(font.bold).ascender);
}
double Descent(const Font& font) {
    return Pixels(font, PictureFontFace(font.bold).descender);
}

}  // namespace gapscope::pictures
