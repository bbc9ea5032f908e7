#!/usr/bin/env bash
# Takes the picture of the main window used by the README (docs/window.png): simulates a
# station's history logs for yesterday, starts the window on them under a virtual X
# display and lets it photograph itself once the first report is shown.
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT_PNG] [SCENARIO] [WIDTHxHEIGHT]
# SCENARIO: the simulator's (default typical); WIDTHxHEIGHT: the window made that large, as
# a size kept from an earlier start.
# Needs the gapscope and gapscope-simulate targets built, and xvfb-run (package xvfb).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
output=$(realpath -m "${2:-$here/docs/window.png}")
program=$build/bin/gapscope
simulate=$build/bin/gapscope-simulate
for tool in "$program" "$simulate"; do
  [ -x "$tool" ] || { echo "No $tool: build first (make build)." >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)." >&2; exit 1; }

# A fixed path, since the window shows it.
station=${TMPDIR:-/tmp}/gapscope-example-station
config=$(mktemp -d)
trap 'rm -rf "$station" "$config"' EXIT
rm -rf "$station"
mkdir -p "$station"
scenario=${3:-typical}
size=${4:-}
"$simulate" "$station" --scenario "$scenario" --seed 3 --quiet
if [ -n "$size" ]; then
  mkdir -p "$config/Quillan"
  printf '[General]\nWindowLeft=0\nWindowTop=0\nWindowWidth=%s\nWindowHeight=%s\n' \
    "${size%x*}" "${size#*x}" > "$config/Quillan/gapscope.conf"
fi

mkdir -p "$(dirname "$output")"
# Design defaults for the option switches and a fixed station name, whoever runs this.
XDG_CONFIG_HOME=$config COMPUTERNAME=GROUNDSTATION GAPSCOPE_SCREENSHOT=$output \
  xvfb-run -a -s '-screen 0 1280x1024x24 -dpi 96' "$program" "$station" 2>/dev/null
[ -s "$output" ] || { echo "No picture was taken." >&2; exit 1; }
echo "Saved $output"
