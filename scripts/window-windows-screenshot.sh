#!/usr/bin/env bash
# The pictures of the Windows window in the documentation: the window on a simulated bad
# day, and its picture window showing the day's timeline, under Wine on a virtual X display
# (Xvfb), saved as PNG. Needs `make windows` first.
# Usage: window-windows-screenshot.sh [BUILD_DIR [PNG [PICTURE_WINDOW_PNG]]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-windows}" && pwd)
png=$(realpath -m "${2:-docs/window-windows.png}")
picture_png=$(realpath -m "${3:-docs/window-windows-picture.png}")
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x1024x24 -dpi 96" bash "$0" "$build" "$png" "$picture_png"
fi
cmake --build "$build" --target window_screenshot gapscope-simulate >/dev/null
work=$(mktemp -d)
prefix=$work/wineprefix
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
bash scripts/make-wine-prefix.sh "$prefix" x11 >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
timeout 120 wine "$build/bin/gapscope-simulate.exe" 'C:\station' --from 2024-03-01 --days 2 \
    --scenario bad-day --seed 19 >/dev/null
LC_ALL=en_GB.UTF-8 GAPSCOPE_NOW=2024-03-03T06:00 GAPSCOPE_SCREENSHOT='C:\window.bmp' \
    GAPSCOPE_PICTURE_SCREENSHOT='C:\picture.bmp' \
    timeout 120 wine "$build/tests/window_win/window_screenshot.exe" 'C:\station'
# BMP (32-bit, rows bottom-up) to PNG, with what Python has.
for shot in "window $png" "picture $picture_png"; do
python3 - "$prefix/drive_c/${shot%% *}.bmp" "${shot#* }" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
offset = struct.unpack_from("<I", data, 10)[0]
width, height = struct.unpack_from("<ii", data, 18)
rows = []
for y in range(height - 1, -1, -1):
    row = data[offset + y * width * 4: offset + (y + 1) * width * 4]
    rows.append(b"\0" + b"".join(row[x:x + 3][::-1] for x in range(0, len(row), 4)))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
PY
done
echo "$png"
echo "$picture_png"
