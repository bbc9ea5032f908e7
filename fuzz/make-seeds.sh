#!/usr/bin/env bash
# Adds seeds drawn from the station simulator to fuzz/seeds: make-seeds.sh FUZZ_BUILD_DIR
# (needs gapscope-simulate and fuzz_station_seed built there). The seeds are kept in the
# repository; run this again only to refresh them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?fuzz build directory}
simulate="$build/bin/gapscope-simulate"
pack="$build/fuzz/fuzz_station_seed"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# name service day scenario seed option-bits switch-bits
while read -r name service day scenario seed options switches; do
    "$simulate" "$work/$name" --service "$service" --from "$day" --days 1 \
        --scenario "$scenario" --seed "$seed" >/dev/null
    "$pack" "$work/$name" "$day" "$options" "$switches" >"fuzz/seeds/day_report/sim-$name"
    # The logs one by one for the loader, and a few records for the item parser.
    for log in SegHistory LateSegHistory FileHistory process; do
        head -c 8192 "$work/$name/$log.log" >"fuzz/seeds/history_log/sim-$name-$log"
    done
    sed -n '1p;40p;77p' "$work/$name/SegHistory.log" | cut -d= -f2- |
        split -l 1 - "fuzz/seeds/record/sim-$name-"
done <<'LIST'
prime-typical prime 2024-01-05 typical 1 24EE 0
prime-bad prime 2012-04-01 bad-day 7 3EFF 0
rapid-typical rapid 2019-03-20 typical 3 34EE 0
rapid-parallel rapid 2015-06-30 bad-day 4 24EE 2
iodc-bad iodc 2017-09-01 bad-day 5 24EE 0
himawari prime 2021-02-02 typical 6 2CEE 11
LIST
