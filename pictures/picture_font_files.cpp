#include "pictures/picture_font_files.h"

// The files as they are, from the build machine's copy of the font (GAPSCOPE_FONT_REGULAR,
// GAPSCOPE_FONT_BOLD), the same files whose advances picture_font_table.cpp holds.
asm(".section .rdata,\"dr\"\n"
    ".balign 16\n"
    ".globl gapscope_font_regular\n"
    "gapscope_font_regular:\n"
    ".incbin \"" GAPSCOPE_FONT_REGULAR "\"\n"
    ".globl gapscope_font_regular_end\n"
    "gapscope_font_regular_end:\n"
    ".balign 16\n"
    ".globl gapscope_font_bold\n"
    "gapscope_font_bold:\n"
    ".incbin \"" GAPSCOPE_FONT_BOLD "\"\n"
    ".globl gapscope_font_bold_end\n"
    "gapscope_font_bold_end:\n"
    ".text\n");

extern "C" const unsigned char gapscope_font_regular[], gapscope_font_regular_end[];
extern "C" const unsigned char gapscope_font_bold[], gapscope_font_bold_end[];

namespace gapscope::pictures {

std::span<const unsigned char> PictureFontFile(bool bold) {
    return bold ? std::span<const unsigned char>(gapscope_font_bold, gapscope_font_bold_end)
                : std::span<const unsigned char>(gapscope_font_regular, gapscope_font_regular_end);
}

}  // namespace gapscope::pictures
