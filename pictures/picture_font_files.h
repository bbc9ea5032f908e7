#pragma once

#include <span>

namespace gapscope::pictures {

// The TrueType file of the pictures' font, regular or bold, built into the program (Windows),
// so that the painter loads it for the program alone and a PC needs no font installed.
std::span<const unsigned char> PictureFontFile(bool bold);

}  // namespace gapscope::pictures
