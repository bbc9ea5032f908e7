#!/usr/bin/env bash
# A data folder that another account can write, as it would attack the programs: a link in
# the place of each file they write (the report of --save, back-fill and -s, the metrics
# file, a picture) leads to a file of the test's own outside the folder, which must stay
# as it was, with nothing made beside it; hidden files of other programs that look like
# leftovers survive a save; a FIFO in the place of a log never holds a run up, and every log
# is opened without waiting. Needs no root.
# Usage: shared_folder_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE [GAPSCOPE]
set -uo pipefail
report=$1 simulate=$2 window=${3:-}

command -v strace >/dev/null || { echo "FAIL: strace not found (scripts/install-deps.sh installs it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

station=$work/station
"$simulate" "$station" --to 2024-03-01 --days 3 --scenario typical --seed 3 --quiet ||
    { echo "FAIL: the simulator" >&2; exit 1; }
mkdir "$work/away"
victim=$work/away/precious
export HOME=$work XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen GAPSCOPE_NOW=2024-03-02T06:00

# WHAT NAME COMMAND...: with NAME in the station a link to the victim, the command ends with
# status 3 and says that the link is not followed; the victim and its folder are as they were.
refused() {
    local what=$1 name=$2
    shift 2
    printf 'precious\n' >"$victim"
    ln -s "$victim" "$station/$name"
    local status=0
    timeout 60 "$@" >"$work/out" 2>"$work/err" || status=$?
    [ "$status" -eq 3 ] || fail "$what through a link: status $status ($(cat "$work/err"))"
    grep -qF "$station/$name is a symbolic link; it is not followed" "$work/err" ||
        fail "$what through a link says: $(cat "$work/err")"
    [ "$(cat "$victim")" = precious ] || fail "$what wrote through the link: $(head -c 200 "$victim")"
    [ "$(ls -A "$work/away")" = precious ] || fail "$what made files beside the victim: $(ls -A "$work/away")"
    [ -L "$station/$name" ] || fail "$what replaced the link"
    rm -f "$station/$name" "$station"/*-missing-segments.txt
}
run=("$report" "$station" --defaults --now 2024-03-02T06:00)
refused "--save" 2024-03-01-missing-segments.txt "${run[@]}" --save --quiet
refused "back-fill" 2024-02-29-missing-segments.txt "${run[@]}" --from 2024-02-28 --save --quiet
refused "--metrics-file" gapscope.prom "${run[@]}" --format prometheus --metrics-file "$station/gapscope.prom"
if [ -x "$(dirname "$report")/gapscope-picture" ]; then
    refused "--picture" day.png "${run[@]}" --picture "$station/day.png"
fi
if [ -n "$window" ]; then
    refused "gapscope -s" 2024-03-01-missing-segments.txt "$window" "$station" -s
fi

# Hidden files of other programs, however like a leftover of ours they look, stay; only the
# stale leftover of the very file being written goes.
others=(.x.y.partial .thesis.v2.partial .SegHistory.log.bak.partial .2024-03-01-missing-segments.txt.bak.partial)
for name in "${others[@]}" .2024-03-01-missing-segments.txt.k1ll3d.partial; do
    echo "someone's work" >"$station/$name"
done
touch -d '1 hour ago' "$station"/.*.partial
"${run[@]}" --save --quiet || fail "a save among hidden files: status $?"
for name in "${others[@]}"; do
    [ "$(cat "$station/$name" 2>/dev/null)" = "someone's work" ] || fail "$name did not survive a save"
done
[ ! -e "$station/.2024-03-01-missing-segments.txt.k1ll3d.partial" ] || fail "the stale leftover of the report stayed"

# Every log is opened without waiting: a FIFO swapped in at any moment is refused at once.
strace -f -qq -e trace=open,openat -o "$work/opens" "${run[@]}" >/dev/null 2>&1
grep -aq 'History\.log"' "$work/opens" || fail "the trace shows no log opened: $(cat "$work/opens")"
if grep -a 'History\.log"' "$work/opens" | grep -av O_NONBLOCK; then fail "a log was opened so that it may wait"; fi
mv "$station/SegHistory.log" "$work/SegHistory.log"
mkfifo "$station/SegHistory.log"
status=0
timeout 60 "${run[@]}" --save --quiet 2>"$work/err" || status=$?
[ "$status" -eq 4 ] || fail "a FIFO for the log: status $status (124: it waited)"
[ "$(cat "$work/err")" = "gapscope-report: cannot read $station/SegHistory.log: not a regular file" ] ||
    fail "a FIFO for the log says: $(cat "$work/err")"

[ "$failed" -eq 0 ] && echo "links refused, the victim untouched; others' hidden files kept; no open waits"
exit "$failed"
