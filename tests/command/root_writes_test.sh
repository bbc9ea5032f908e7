#!/usr/bin/env bash
# Run as root, the programs write only where root alone can write: a folder owned by another
# account, or one that its group or everyone may write without the sticky bit, is refused
# with one line and nothing is written; a folder of root's own saves as before. Its owner
# saves there, even in a folder it may enter but not read. Needs root (skipped, 77, else).
# Usage: root_writes_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE [GAPSCOPE]
set -uo pipefail
report=$1 simulate=$2 window=${3:-}

[ "$(id -u)" -eq 0 ] || { echo "SKIP: needs root"; exit 77; }
id nobody >/dev/null 2>&1 || { echo "SKIP: no account 'nobody'"; exit 77; }
command -v setpriv >/dev/null || { echo "SKIP: setpriv not found"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
chmod 0711 "$work"
export HOME=$work XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen GAPSCOPE_NOW=2024-03-02T06:00

station=$work/station
"$simulate" "$station" --to 2024-03-01 --days 2 --scenario typical --seed 4 --quiet ||
    { echo "FAIL: the simulator" >&2; exit 1; }
name=2024-03-01-missing-segments.txt
run=("$report" "$station" --defaults --now 2024-03-02T06:00)

# WHAT WHY COMMAND...: status 3, one line on standard error (one a day for a back-fill)
# ending in WHY, nothing written.
refused() {
    local what=$1 why=$2
    shift 2
    local status=0
    "$@" >/dev/null 2>"$work/err" || status=$?
    [ "$status" -eq 3 ] || fail "$what: status $status ($(cat "$work/err"))"
    grep -qF "cannot write in $station as root: $why" "$work/err" &&
        ! grep -vF "cannot write in $station as root: $why" "$work/err" ||
        fail "$what says: $(cat "$work/err")"
    [ -z "$(ls -A "$station" | grep -v '\.log$')" ] || fail "$what wrote: $(ls -A "$station")"
}
owned="it belongs to nobody (UID $(id -u nobody)); run as its owner (User= in the unit's drop-in)"
chown nobody "$station"
refused "--save in nobody's folder" "$owned" "${run[@]}" --save --quiet
refused "back-fill in nobody's folder" "$owned" "${run[@]}" --from 2024-02-29 --save --quiet
refused "metrics in nobody's folder" "$owned" "${run[@]}" --format prometheus --metrics-file "$station/g.prom"
[ -z "$window" ] || refused "gapscope -s in nobody's folder" "$owned" "$window" "$station" -s
chown root "$station"
chmod 0775 "$station"
refused "--save in a folder its group may write" "other accounts may write in it (mode 0775)" \
    "${run[@]}" --save --quiet

for mode in 0755 1777; do
    chmod "$mode" "$station"
    "${run[@]}" --save --quiet || fail "--save in root's folder of mode $mode: status $?"
    [ -s "$station/$name" ] || fail "no report in root's folder of mode $mode"
    rm -f "$station/$name"
done

# The folder's owner saves there, also where it may enter but not list (mode -wx); its
# programs are copied where that account can reach them (the build may be under /root).
mkdir "$work/bin"
cp "$report" "$work/bin/"
chmod 0755 "$station" "$work/bin"
chown -R nobody "$station"
as_nobody=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups "$work/bin/$(basename "$report")"
           "$station" --defaults --now 2024-03-02T06:00 --save --quiet)
"${as_nobody[@]}" || fail "nobody's save in its own folder: status $?"
rm -f "$station/$name"
chmod 0300 "$station"
status=0
"${as_nobody[@]}" 2>"$work/err" || status=$?
chmod 0755 "$station"
[ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "a save in a folder of mode 0300: status $status ($(cat "$work/err"))"
[ -s "$station/$name" ] || fail "no report in a folder of mode 0300"

[ "$failed" -eq 0 ] && echo "root refuses others' folders and saves in its own; the owner saves, -wx too"
exit "$failed"
