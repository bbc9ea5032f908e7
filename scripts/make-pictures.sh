#!/usr/bin/env bash
# Makes the README's pictures from the example station of `make run`, as it stood when the
# README's report text was taken (2026-12-07 06:10 UTC): the timeline of that report's day
# (docs/timeline.png) and the heat map of the station's week (docs/heatmap.png), drawn by
# gapscope-report --picture with the design defaults of the options.
#   scripts/make-pictures.sh [BUILD_DIR] [OUTPUT_DIR]
# Needs the gapscope-report, gapscope-picture and gapscope-simulate targets (make build;
# gapscope-picture is built with the window).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
output=$(realpath -m "${2:-$here/docs}")
report=$build/bin/gapscope-report
simulate=$build/bin/gapscope-simulate
for tool in "$report" "$simulate" "$build/bin/gapscope-picture"; do
  [ -x "$tool" ] || { echo "No $tool: build first (make build)." >&2; exit 1; }
done

now=2026-12-07T06:10
station=$(mktemp -d)
trap 'rm -rf "$station"' EXIT
"$simulate" "$station" --service prime --days 7 --until "$now" --scenario typical --seed 2024 \
  --replace --quiet

mkdir -p "$output"
export COMPUTERNAME=GROUNDSTATION
# Yesterday's report, the one the README prints, and the week around it: the day before
# the logs begin shows as such, the current day as not yet due after 05:40 (06:10 less the
# grace).
"$report" "$station" --defaults --now "$now" --picture "$output/timeline.png" >/dev/null
"$report" "$station" --defaults --now "$now" --from 2026-11-29 --to 2026-12-07 \
  --picture "$output/heatmap.png" >/dev/null
echo "Saved $output/timeline.png and $output/heatmap.png"
