#!/usr/bin/env python3
"""Writes pictures/picture_font_table.cpp: the advances of the pictures' font, DejaVu Sans
(regular and bold), read from its TrueType files, so that every painter and layout measures
text alike without a font library.

    scripts/make-picture-font.py [FONT_FOLDER] > pictures/picture_font_table.cpp

FONT_FOLDER holds DejaVuSans.ttf and DejaVuSans-Bold.ttf (default: Debian's
fonts-dejavu-core, /usr/share/fonts/truetype/dejavu). Only the tables 'head', 'hhea',
'hmtx' and 'cmap' (format 4) are read."""
import os
import struct
import sys

# The characters measured: Latin (ASCII, Latin-1, Latin Extended-A), Greek, Cyrillic and
# general punctuation; any other takes the face's fallback advance.
RANGES = [(0x20, 0x7E), (0xA0, 0x17F), (0x370, 0x3FF), (0x400, 0x4FF), (0x2010, 0x2027)]
FACES = [("kDejaVuSans", "DejaVuSans.ttf"), ("kDejaVuSansBold", "DejaVuSans-Bold.ttf")]


def tables(data):
    count = struct.unpack_from(">H", data, 4)[0]
    found = {}
    for i in range(count):
        tag, _, offset, length = struct.unpack_from(">4sIII", data, 12 + 16 * i)
        found[tag.decode("latin-1")] = data[offset:offset + length]
    return found


def character_map(cmap):
    """Code point to glyph, from the Unicode BMP subtable (format 4)."""
    count = struct.unpack_from(">H", cmap, 2)[0]
    for i in range(count):
        platform, encoding, offset = struct.unpack_from(">HHI", cmap, 4 + 8 * i)
        if (platform, encoding) in ((3, 1), (0, 3)) and struct.unpack_from(">H", cmap, offset)[0] == 4:
            break
    else:
        sys.exit("no format-4 Unicode character map")
    sub = cmap[offset:]
    segments = struct.unpack_from(">H", sub, 6)[0] // 2
    ends = struct.unpack_from(">%dH" % segments, sub, 14)
    starts = struct.unpack_from(">%dH" % segments, sub, 16 + 2 * segments)
    deltas = struct.unpack_from(">%dh" % segments, sub, 16 + 4 * segments)
    range_offsets_at = 16 + 6 * segments
    range_offsets = struct.unpack_from(">%dH" % segments, sub, range_offsets_at)
    glyphs = {}
    for s in range(segments):
        for c in range(starts[s], ends[s] + 1):
            if c == 0xFFFF:
                continue
            if range_offsets[s] == 0:
                glyph = (c + deltas[s]) & 0xFFFF
            else:
                at = range_offsets_at + 2 * s + range_offsets[s] + 2 * (c - starts[s])
                glyph = struct.unpack_from(">H", sub, at)[0]
                if glyph:
                    glyph = (glyph + deltas[s]) & 0xFFFF
            if glyph:
                glyphs[c] = glyph
    return glyphs


def face(path):
    t = tables(open(path, "rb").read())
    units = struct.unpack_from(">H", t["head"], 18)[0]
    ascender, descender, _ = struct.unpack_from(">hhh", t["hhea"], 4)
    metrics = struct.unpack_from(">H", t["hhea"], 34)[0]
    advances = [struct.unpack_from(">H", t["hmtx"], 4 * i)[0] for i in range(metrics)]
    glyphs = character_map(t["cmap"])

    def advance(c):
        glyph = glyphs.get(c, 0)
        return advances[min(glyph, metrics - 1)]

    return units, ascender, -descender, advance


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/fonts/truetype/dejavu"
    out = ["// The advances of the pictures' font, in font units. Made by scripts/make-picture-font.py",
           "// from the TrueType files of DejaVu Sans 2.37 (Debian's fonts-dejavu-core); made again, not",
           "// edited, when the font changes. Each row: the advances of 16 characters, the first one's",
           "// code point at the row's end; a character not listed takes the fallback (that of W).",
           '#include "pictures/picture_font_table.h"',
           "",
           "namespace gapscope::pictures {",
           "namespace {",
           ""]
    faces = []
    for name, file in FACES:
        units, ascender, descender, advance = face(os.path.join(folder, file))
        blocks = []
        for first, last in RANGES:
            array = "%s_%04X" % (name, first)
            blocks.append((first, array))
            out.append("constexpr std::uint16_t %s[] = {" % array)
            for row in range(first, last + 1, 16):
                values = [advance(c) for c in range(row, min(row + 16, last + 1))]
                out.append("    %s  // U+%04X" % (", ".join("%4d" % v for v in values) + ",", row))
            out.append("};")
            out.append("")
        faces.append((name, file, units, ascender, descender, advance(ord("W")), blocks))
    for name, file, units, ascender, descender, fallback, blocks in faces:
        out.append("// %s" % file)
        out.append("constexpr AdvanceBlock %sBlocks[] = {" % name)
        for first, array in blocks:
            out.append("    {0x%04X, %s}," % (first, array))
        out.append("};")
        out.append("const FontFace %s{%d, %d, %d, %d, %sBlocks};" % (name, units, ascender, descender, fallback, name))
        out.append("")
    out.append("}  // namespace")
    out.append("")
    out.append("const FontFace& PictureFontFace(bool bold) { return bold ? kDejaVuSansBold : kDejaVuSans; }")
    out.append("")
    out.append("}  // namespace gapscope::pictures")
    print("\n".join(out))


main()
