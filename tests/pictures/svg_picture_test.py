#!/usr/bin/env python3
"""gapscope-report --picture FILE.svg: written by the command alone, with no gapscope-picture
beside it; a well-formed SVG document whatever the station's name; and, where the build has
gapscope-picture to draw the PNG of the same run, every pixel of its fills and patterns the
PNG's, outside the text.

    svg_picture_test.py GAPSCOPE_REPORT GAPSCOPE_SIMULATE [GAPSCOPE_PICTURE]"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib

report, simulate = sys.argv[1], sys.argv[2]
picture_program = sys.argv[3] if len(sys.argv) > 3 else None
SVG = "{http://www.w3.org/2000/svg}"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def run(program, *args, env=None):
    return subprocess.run([program, *args], capture_output=True, env=env)


def read_png(path):
    """Width, height and rows of (r, g, b) of an 8-bit RGB or RGBA PNG, not interlaced."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, chunks = 8, {}
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        chunks.setdefault(kind, []).append(data[at + 8:at + 8 + length])
        at += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"][0])
    assert depth == 8 and colour in (2, 6) and interlace == 0, (depth, colour, interlace)
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(chunks[b"IDAT"]))
    stride = width * step
    rows, above = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - step] if i >= step else 0
            b = above[i]
            c = above[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * step:x * step + 3]) for x in range(width)])
        above = line
    return width, height, rows


def colour_of(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def fill_path(pixels, d, colour):
    """Fills the pixels whose centres lie inside the path's outlines (lines along whole pixels:
    M, h, v, z), by the even-odd rule within each outline."""
    for outline in re.findall(r"M[^M]*", d):
        x = y = 0
        edges = []
        tokens = re.findall(r"[Mhvz]|-?\d+", outline)
        i = 0
        while i < len(tokens):
            token = tokens[i]
            if token == "M":
                x, y = int(tokens[i + 1]), int(tokens[i + 2])
                start = (x, y)
                i += 3
            elif token == "h":
                x += int(tokens[i + 1])
                i += 2
            elif token == "v":
                edges.append((x, y, y + int(tokens[i + 1])))
                y += int(tokens[i + 1])
                i += 2
            else:  # z
                if x == start[0] and y != start[1]:
                    edges.append((x, y, start[1]))
                x, y = start
                i += 1
        tops = [min(e[1], e[2]) for e in edges]
        bottoms = [max(e[1], e[2]) for e in edges]
        for row in range(min(tops), max(bottoms)):
            crossings = sorted(e[0] for e, t, b in zip(edges, tops, bottoms) if t <= row + 0.5 < b)
            for left, right in zip(crossings[::2], crossings[1::2]):
                for column in range(left, right):
                    pixels[(column, row)] = colour


def svg_pixels(root):
    """The pixels the fills and patterns set, in order, and the boxes the text may cover."""
    pixels, text_boxes = {}, []
    for element in root.iter():
        tag = element.tag.replace(SVG, "")
        if tag == "rect":
            x, y = int(element.get("x")), int(element.get("y"))
            colour = colour_of(element.get("fill"))
            for row in range(y, y + int(element.get("height"))):
                for column in range(x, x + int(element.get("width"))):
                    pixels[(column, row)] = colour
        elif tag == "path":
            fill_path(pixels, element.get("d"), colour_of(element.get("fill")))
        elif tag == "text":
            # Generously: an em a character, and from an em above the baseline to below it.
            size, x, y = float(element.get("font-size")), float(element.get("x")), float(element.get("y"))
            width = size * len(element.text or "")
            anchor = element.get("text-anchor", "start")
            left = x if anchor == "start" else x - width if anchor == "end" else x - width / 2
            text_boxes.append((left - 2, y - size - 2, left + width + 2, y + size / 2 + 2))
    return pixels, text_boxes


def parse(path, what):
    try:
        return ET.parse(path).getroot()
    except ET.ParseError as error:
        check(False, "%s: not well-formed XML: %s" % (what, error))
        return None


def compare(svg_path, png_path, what):
    root = parse(svg_path, what)
    if root is None:
        return
    width, height, rows = read_png(png_path)
    check(root.tag == SVG + "svg" and root.get("viewBox") == "0 0 %d %d" % (width, height),
          "%s: an SVG as large as the PNG, %dx%d: %s" % (what, width, height, root.get("viewBox")))
    pixels, text_boxes = svg_pixels(root)
    under_text = set()
    for left, top, right, bottom in text_boxes:
        for y in range(int(top), int(bottom) + 1):
            under_text.update((x, y) for x in range(int(left), int(right) + 1))
    compared = differing = 0
    for (x, y), colour in pixels.items():
        if not (0 <= x < width and 0 <= y < height) or (x, y) in under_text:
            continue
        compared += 1
        if rows[y][x] != colour:
            differing += 1
            if differing <= 5:
                print("%s: pixel %d,%d is %s in the PNG, %s in the SVG" % (what, x, y, rows[y][x], colour))
    check(differing == 0, "%s: %d of %d pixels differ" % (what, differing, compared))
    check(compared > width * height // 2, "%s: only %d pixels compared" % (what, compared))


with tempfile.TemporaryDirectory(prefix="gapscope-svg-") as work:
    station = os.path.join(work, "station")
    faults = ["cycle@2024-03-05T03:00", "segments@2024-03-05T08:00:9/3,4", "late@2024-03-05T10:00:9/5"]
    made = run(simulate, station, "--from", "2024-03-04", "--days", "3", "--scenario", "clean",
               "--quiet", *[a for f in faults for a in ("--inject", f)])
    check(made.returncode == 0, "gapscope-simulate: %s" % made.stderr.decode(errors="replace"))

    # The command alone in a folder: no gapscope-picture beside it.
    alone = os.path.join(work, "alone")
    os.mkdir(alone)
    shutil.copy(report, alone)
    alone_report = os.path.join(alone, os.path.basename(report))
    env = dict(os.environb)
    # A name from outside with markup, a control character and a byte that is not UTF-8.
    env[b"COMPUTERNAME"] = b'north <&> "one"\x01\xff'
    common = ["--defaults", "--now", "2024-03-08T06:00"]
    day = ["--day", "2024-03-05"]
    week = ["--from", "2024-03-03", "--to", "2024-03-06"]
    refused = run(alone_report, station, *common, *day, "--picture", os.path.join(work, "x.png"), env=env)
    check(refused.returncode == 2 and b"pictures need the gapscope package" in refused.stderr,
          "without gapscope-picture a PNG is refused: %d %s" % (refused.returncode, refused.stderr))
    for name, days in (("day", day), ("week", week)):
        svg = os.path.join(work, name + ".svg")
        made = run(alone_report, station, *common, *days, "--picture", svg, env=env)
        check(made.returncode == 0, "%s.svg without gapscope-picture: %d %s" % (name, made.returncode, made.stderr))
        root = parse(svg, name + ".svg") if os.path.exists(svg) else None
        check(root is not None, "%s.svg written" % name)
        if root is not None:
            title = root.find(SVG + "text").text
            check('North <&> "one"' in title, "%s.svg names the station as it is: %r" % (name, title))
        if picture_program:
            png = os.path.join(work, name + ".png")
            made = run(report, station, *common, *days, "--picture", png, env=env)
            check(made.returncode == 0, "%s.png: %d %s" % (name, made.returncode, made.stderr))
            compare(svg, png, name)

print("%d failures" % len(failures))
sys.exit(1 if failures else 0)
