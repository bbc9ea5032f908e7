#!/usr/bin/env bash
# Compares what two builds give, byte for byte: the simulators' logs, and every report,
# range summary, JSON document, check line, metrics text, saved report file and picture of
# gapscope-report over simulated histories of all three services, in blocks of days placed
# across the calendar's changes, under several option sets. Used to show that a change of
# structure changed no output.
#   scripts/compare-builds.sh REFERENCE_BUILD_DIR BUILD_DIR [DAYS_PER_BLOCK]
# Prints each difference and the counts; exits 1 when anything differs.
set -euo pipefail
ref=$(realpath "$1") new=$(realpath "$2") days=${3:-8}
for build in "$ref" "$new"; do
    for tool in gapscope-report gapscope-simulate; do
        [ -x "$build/bin/$tool" ] || { echo "No $build/bin/$tool: build it first." >&2; exit 2; }
    done
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The banner names the computer and the time of the run; both are fixed here. Stored options
# are not read (--defaults), and the user's own settings stay out of reach.
export COMPUTERNAME=GROUNDSTATION HOME=$work/home LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
now=2026-12-08T06:10

# First days of the blocks: each spans a change of the calendar (a satellite renamed or gone,
# a product line-up, a cadence) or an eclipse season.
starts=(2008-03-01 2010-06-28 2011-06-12 2015-06-27 2016-10-17 2017-12-10 2019-07-06
        2020-10-17 2022-10-01 2024-03-15)
scenarios=(typical bad-day clean)
# One option set a line, the first empty: the design defaults alone.
mapfile -t option_sets <"$(dirname "$0")/../tests/data/option_sets.txt"
compared=0 differ=0 station_days=0

# Runs one gapscope-report command line with both builds; its standard output, standard error
# and status must be the same. Arguments: a name for the case, then the command's arguments,
# in which @OUT@ stands for a file the run writes (compared too).
both() {
    local name=$1 side
    shift
    for side in ref new; do
        local build=$ref
        [ "$side" = new ] && build=$new
        local out=$work/$side/out.file args=("${@//@OUT@/$work/$side/out.file}")
        rm -f "$out"
        "$build/bin/gapscope-report" "${args[@]}" >"$work/$side/stdout" 2>"$work/$side/stderr" &&
            echo 0 >"$work/$side/status" || echo $? >"$work/$side/status"
    done
    local part
    for part in stdout stderr status out.file; do
        [ -e "$work/ref/$part" ] || [ -e "$work/new/$part" ] || continue
        compared=$((compared + 1))
        if ! cmp -s "$work/ref/$part" "$work/new/$part"; then
            differ=$((differ + 1))
            echo "DIFFERENT $part: $name"
            diff <(head -c 4000 "$work/ref/$part") <(head -c 4000 "$work/new/$part") | head -12 || true
        fi
    done
}

mkdir -p "$work/ref" "$work/new"
block=0
for service in prime rapid iodc; do
    for start in "${starts[@]}"; do
        block=$((block + 1))
        scenario=${scenarios[$((block % ${#scenarios[@]}))]}
        data=$work/data-$block
        simulate=(--service "$service" --from "$start" --days "$days" --scenario "$scenario"
                  --seed "$block" --quiet)
        "$ref/bin/gapscope-simulate" "$data" "${simulate[@]}" >/dev/null
        "$new/bin/gapscope-simulate" "$work/sim-new" "${simulate[@]}" >/dev/null
        for log in SegHistory.log LateSegHistory.log FileHistory.log process.log; do
            compared=$((compared + 1))
            cmp -s "$data/$log" "$work/sim-new/$log" ||
                { differ=$((differ + 1)); echo "DIFFERENT simulated $log: $service $start"; }
        done
        rm -rf "$work/sim-new"
        last=$(date -u -d "$start + $((days - 1)) days" +%F)
        for ((i = 0; i < days; i++)); do
            day=$(date -u -d "$start + $i days" +%F)
            station_days=$((station_days + 1))
            for options in "${option_sets[@]}"; do
                # shellcheck disable=SC2086 # an option set is several words
                both "$service $day $options" "$data" --defaults --now "$now" --day "$day" $options
            done
            both "$service $day check" "$data" --defaults --now "$now" --check --day "$day"
            # The metrics file's name ends in .prom, as the node exporter's must.
            both "$service $day metrics" "$data" --defaults --now "$now" --format prometheus \
                --day "$day" --metrics-file @OUT@.prom
            for side in ref new; do
                if [ -e "$work/$side/out.file.prom" ]; then
                    mv -f "$work/$side/out.file.prom" "$work/$side/out.file"
                else
                    rm -f "$work/$side/out.file"
                fi
            done
            if [ -e "$work/ref/out.file" ] || [ -e "$work/new/out.file" ]; then
                compared=$((compared + 1))
                cmp -s "$work/ref/out.file" "$work/new/out.file" ||
                    { differ=$((differ + 1)); echo "DIFFERENT metrics file: $service $day"; }
            fi
            both "$service $day timeline" "$data" --defaults --now "$now" --day "$day" \
                --picture @OUT@.png
            mv -f "$work/ref/out.file.png" "$work/ref/out.file" 2>/dev/null || true
            mv -f "$work/new/out.file.png" "$work/new/out.file" 2>/dev/null || true
            compared=$((compared + 1))
            cmp -s "$work/ref/out.file" "$work/new/out.file" ||
                { differ=$((differ + 1)); echo "DIFFERENT timeline: $service $day"; }
        done
        for options in "${option_sets[@]}"; do
            # shellcheck disable=SC2086
            both "$service $start.. $options" "$data" --defaults --now "$now" --from "$start" \
                --to "$last" $options
            # shellcheck disable=SC2086
            both "$service $start.. json $options" "$data" --defaults --now "$now" --from "$start" \
                --to "$last" --format json $options
        done
        both "$service $start.. heat map" "$data" --defaults --now "$now" --from "$start" \
            --to "$last" --picture @OUT@.png
        mv -f "$work/ref/out.file.png" "$work/ref/out.file" 2>/dev/null || true
        mv -f "$work/new/out.file.png" "$work/new/out.file" 2>/dev/null || true
        compared=$((compared + 1))
        cmp -s "$work/ref/out.file" "$work/new/out.file" ||
            { differ=$((differ + 1)); echo "DIFFERENT heat map: $service $start"; }
        # The saved report files, each build into its own copy of the logs.
        for side in ref new; do
            build=$ref
            [ "$side" = new ] && build=$new
            rm -rf "$work/saved-$side"
            cp -r "$data" "$work/saved-$side"
            "$build/bin/gapscope-report" "$work/saved-$side" --defaults --now "$now" \
                --from "$start" --to "$last" --save -q >/dev/null 2>&1 || true
        done
        compared=$((compared + 1))
        cmp -s <(cd "$work/saved-ref" && ls) <(cd "$work/saved-new" && ls) ||
            { differ=$((differ + 1)); echo "DIFFERENT files saved: $service $start"; }
        for file in "$work/saved-ref"/*-missing-segments.txt; do
            [ -e "$file" ] || continue
            compared=$((compared + 1))
            cmp -s "$file" "$work/saved-new/$(basename "$file")" ||
                { differ=$((differ + 1)); echo "DIFFERENT saved: $service $(basename "$file")"; }
        done
        rm -rf "$data"
    done
done
echo "$station_days station-days, three services, ${#option_sets[@]} option sets:" \
     "$compared comparisons, $differ differences"
[ "$differ" -eq 0 ]
