#!/usr/bin/env bash
# Shows the tool at work on a simulated station: builds quietly (the build's output goes to
# BUILD_DIR/build.log, named on failure), writes a week of history logs of a typical
# prime-service station up to now, prints yesterday's report, saves the report file beside
# the logs and, when a display is available, opens the window on the same station.
# Usage: scripts/run-example.sh BUILD_DIR [JOBS]   (`make run` installs what is missing first)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
jobs=${2:-2}
mkdir -p "$build"
build=$(cd "$build" && pwd)
log="$build/build.log"
simulate="$build/tools/gapscope-simulate"
report="$build/app/gapscope-report"
window="$build/app/gapscope"
station="$build/example-station"

echo "Building in $build (output in $log) ..."
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" -j "$jobs"; } >"$log" 2>&1; then
  echo "run-example: the build failed; its output is in $log. The last lines:" >&2
  tail -n 20 "$log" >&2
  exit 1
fi

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
