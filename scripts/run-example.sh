#!/usr/bin/env bash
# Shows the tool at work on a simulated station: writes a week of history logs of a typical
# prime-service station up to now, prints yesterday's report, saves the report file beside
# the logs and, when a display is available, opens the window on the same station.
# Usage: scripts/run-example.sh BUILD_DIR   (`make run` installs what is missing and builds first)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
simulate="$build/bin/gapscope-simulate"
report="$build/bin/gapscope-report"
window="$build/bin/gapscope"
station="$build/example-station"

# A fixed seed: every run shows the same faults, shifted to the current week.
"$simulate" "$station" --service prime --days 7 --until-now --scenario typical --seed 2024 \
  --replace --quiet

echo "Example station: $station"
echo
"$report" "$station"
"$report" "$station" --save

if [ -n "${DISPLAY:-}" ] && [ -x "$window" ]; then
  nohup "$window" "$station" >/dev/null 2>&1 &
  echo "Window opened on the example station (process $!)"
fi
