#!/usr/bin/env bash
# Saves killed at random moments: a save, a back-fill over a week and a metrics write, each
# started over the files an earlier run wrote and killed (SIGKILL) at a random moment of its
# run. Every other run is traced with each flush and rename held up by 20 ms, so that many
# kills fall while a file is being replaced. Every file must then hold the old bytes or the
# new ones, never a mix or nothing; the temporary files the killed runs left are removed by
# the next run once they are stale.
# Usage: kill_save_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE [KILLS_PER_KIND]
set -uo pipefail

# KIND NOW: the run of that kind at that time; with exec_run=1 the shell becomes the program.
operation() {
    local run=("$report" "$station" --defaults --now "$2")
    case $1 in
        save) run+=(--save --quiet) ;;
        backfill) run+=(--from 2024-02-23 --save --overwrite --quiet) ;;
        metrics) run+=(--format prometheus --station "$2" --metrics-file "$station/gapscope.prom") ;;
    esac
    if [ "${exec_run:-0}" -eq 1 ]; then exec "${run[@]}"; fi
    "${run[@]}"
}
# Called again by itself under strace: that program alone.
if [ "${1:-}" = --operation ]; then
    report=$2 station=$3 exec_run=1
    operation "$4" 2024-03-02T06:00
fi

report=$1 simulate=$2 kills=${3:-100}

command -v strace >/dev/null || { echo "FAIL: strace not found (scripts/install-deps.sh installs it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

station=$work/station
"$simulate" "$station" --service rapid --to 2024-03-01 --days 8 --scenario bad-day --seed 9 --quiet ||
    { echo "FAIL: the simulator" >&2; exit 1; }
reports=()
for day in 23 24 25 26 27 28 29; do reports+=("2024-02-$day-RSS-missing-segments.txt"); done
reports+=(2024-03-01-RSS-missing-segments.txt)

files_of() {
    case $1 in
        save) echo 2024-03-01-RSS-missing-segments.txt ;;
        backfill) echo "${reports[@]}" ;;
        metrics) echo gapscope.prom ;;
    esac
}
# The old and the new bytes of every file, from whole runs.
for version in old new; do
    now=2024-03-02T00:20
    [ "$version" = new ] && now=2024-03-02T06:00
    mkdir "$work/$version"
    for kind in save backfill metrics; do
        operation "$kind" "$now" || { echo "FAIL: a whole $kind run" >&2; exit 1; }
        for name in $(files_of "$kind"); do cp "$station/$name" "$work/$version/$name"; done
    done
done

now_ns() { date +%s%N; }
# KIND STRETCHED: the run of 2024-03-02T06:00 in the background, its flushes and renames held
# up by 20 ms each when STRETCHED is 1. Sets `runner`, what to wait for.
start() {
    if [ "$2" -eq 1 ]; then
        ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -f -qq -o /dev/null -e trace=fsync,rename,renameat,renameat2 -e inject=fsync,rename,renameat,renameat2:delay_enter=20000 \
            bash "$0" --operation "$report" "$station" "$1" >/dev/null 2>&1 &
    else
        (exec_run=1; operation "$1" 2024-03-02T06:00) >/dev/null 2>&1 &
    fi
    runner=$!
}
# The process to kill: the program, or its tracer's child (the program once it has started).
program_of() {
    local child
    child=$(pgrep -P "$1" | head -n 1)
    echo "${child:-$1}"
}
declare -A outcome
started=$SECONDS
for kind in save backfill metrics; do
    # How long a whole run takes, plain and held up, so that the kills fall all over it.
    for stretched in 0 1; do
        begin=$(now_ns)
        start "$kind" "$stretched"
        wait "$runner"
        span_us[$stretched]=$(( ($(now_ns) - begin) / 1000 ))
    done
    for ((i = 0; i < kills; i++)); do
        stretched=$((i % 2))
        for name in $(files_of "$kind"); do cp "$work/old/$name" "$station/$name"; done
        start "$kind" "$stretched"
        span=${span_us[$stretched]}
        delay_us=$(( (RANDOM * 32768 + RANDOM) % (span + span / 5 + 1) ))
        sleep "$(printf '%d.%06d' $((delay_us / 1000000)) $((delay_us % 1000000)))"
        kill -KILL "$(program_of "$runner")" 2>/dev/null
        wait "$runner" 2>/dev/null
        for name in $(files_of "$kind"); do
            if cmp -s "$station/$name" "$work/old/$name"; then
                outcome[$kind-old]=$(( ${outcome[$kind-old]:-0} + 1 ))
            elif cmp -s "$station/$name" "$work/new/$name"; then
                outcome[$kind-new]=$(( ${outcome[$kind-new]:-0} + 1 ))
            else
                fail "$kind killed after ${delay_us} us: $name is neither the old file nor the new one"
            fi
        done
    done
    left=$(find "$station" -name '.*.partial' | wc -l)
    echo "$kind: $kills kills (a run takes $((span_us[0] / 1000)) ms, held up $((span_us[1] / 1000)) ms):" \
         "files old ${outcome[$kind-old]:-0}, new ${outcome[$kind-new]:-0};" \
         "temporary files left so far $left"
done

# The leftovers, once a quarter of an hour old, go with the next run of each kind.
find "$station" -name '.*.partial' -exec touch -d '20 minutes ago' {} +
for kind in save backfill metrics; do operation "$kind" 2024-03-02T06:00 >/dev/null || fail "$kind after the kills"; done
left=$(find "$station" -name '.*.partial')
[ -z "$left" ] || fail "temporary files left after the next runs: $left"
echo "kill test: $((3 * kills)) kills in $((SECONDS - started)) s"
exit "$failed"
