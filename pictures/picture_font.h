#pragma once

#include <string_view>

namespace gapscope::pictures {

// The pictures' font: DejaVu Sans, `pixels` high (its em), bold or not. Every painter draws
// text in it, and every layout measures text by its table of advances, so that text is
// placed alike whatever draws it.
struct Font {
    int pixels = 12;
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};
inline constexpr const char* kPictureFontFamily = "DejaVu Sans";

// The advance of one character, in pixels.
double CharacterAdvance(char32_t c, const Font& font);
// The width of one line of UTF-8 text, in pixels: the sum of its characters' advances.
// Kerning, which painters may apply, narrows a few pairs, so the text drawn is at most about
// this wide.
double TextAdvance(std::string_view text, const Font& font);
// The same, rounded to whole pixels.
int TextWidth(std::string_view text, const Font& font);
// Above and below the baseline, in pixels; a line of text is their sum high.
double Ascent(const Font& font);
double Descent(const Font& font);

}  // namespace gapscope::pictures
