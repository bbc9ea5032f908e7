#!/usr/bin/env bash
# A data folder its reader may not search is named as the folder, with the system's reason,
# in the same words in every mode of gapscope-report, in the check's one line and in the
# window's unattended run: never as a log in it nor as a folder without logs.
# Root reads any folder: as root the programs run with the capabilities that pass over
# permissions dropped (setpriv), and without setpriv the test is skipped.
# Usage: unreadable_folder_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE [GAPSCOPE]
set -uo pipefail
report=$1 simulate=$2 window=${3:-}

work=$(mktemp -d)
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

station=$work/station
"$simulate" "$station" --to 2024-03-01 --days 2 --scenario clean --seed 1 --quiet ||
    { echo "FAIL: the simulator" >&2; exit 1; }
chmod 000 "$station"
operator=()
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || { echo "SKIP: root without setpriv reads any folder"; exit 77; }
    operator=(setpriv --bounding-set=-dac_override,-dac_read_search)
fi
if "${operator[@]}" ls "$station" >/dev/null 2>&1; then
    echo "SKIP: the folder stays readable here (no way to drop the reading rights)"
    exit 77
fi

said="cannot read the folder $station/: Permission denied"
run() { "${operator[@]}" "$report" "$station" --defaults --now 2024-03-02T06:00 "$@"; }

modes=("" "--format json" "--from 2024-02-28" "--from 2024-02-28 --format json" "--save"
       "--from 2024-02-28 --save" "--format prometheus" "--format prometheus --day today")
"$report" --help | grep -q -- '--picture FILE' && modes+=("--picture $work/day.png")
for mode in "${modes[@]}"; do
    # shellcheck disable=SC2086 # the mode is split into its options on purpose
    run $mode >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 4 ] || fail "'$mode': status $status, not 4"
    [ "$(cat "$work/err")" = "gapscope-report: $said" ] || fail "'$mode' said: $(cat "$work/err")"
    [ -s "$work/out" ] && fail "'$mode' printed: $(cat "$work/out")"
done
[ -e "$work/day.png" ] && fail "a picture was drawn"

for day in yesterday today; do
    run --check --day "$day" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 3 ] || fail "--check --day $day: status $status, not 3 (UNKNOWN)"
    [ "$(cat "$work/out")" = "GAPSCOPE UNKNOWN - $said" ] ||
        fail "--check --day $day said: $(cat "$work/out")"
done

if [ -n "$window" ]; then
    HOME=$work/home XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen \
        "${operator[@]}" "$window" "$station" -s >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 4 ] || fail "the window's unattended run: status $status, not 4"
    [ "$(cat "$work/err")" = "gapscope: $said" ] ||
        fail "the window's unattended run said: $(cat "$work/err")"
fi

[ "$failed" -eq 0 ] && echo "The folder named in every mode, the check and the window"
exit "$failed"
