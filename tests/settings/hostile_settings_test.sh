#!/usr/bin/env bash
# The per-user settings file as another user or a mistake may leave it, read by the programs
# as processes: a FIFO, a device, another user's link, garbage and a hostile typed value. Every
# run ends (each bounded by `timeout`), says why in one line, uses the defaults for what it
# cannot read, and leaves what it must not replace as it was.
# Usage: hostile_settings_test.sh GAPSCOPE GAPSCOPE_REPORT GAPSCOPE_SIMULATE
set -uo pipefail
window=$1 report=$2 simulate=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

export HOME=$work/home COMPUTERNAME=GROUNDSTATION QT_QPA_PLATFORM=offscreen \
       GAPSCOPE_NOW=2024-03-02T06:10 GAPSCOPE_BUSY_WAIT=0
unset XDG_CONFIG_HOME
conf=$HOME/.config/Quillan/gapscope.conf
mkdir -p "$(dirname "$conf")"
"$simulate" "$work/data" --to 2024-03-01 --scenario clean --quiet || { echo "FAIL: the simulator" >&2; exit 1; }

# run NAME EXPECTED_STATUS EXPECTED_STDERR PROGRAM ARGUMENT...
run() {
    local name=$1 want=$2 said=$3 status=0
    shift 3
    timeout 30 "$@" >"$work/out" 2>"$work/err" || status=$?
    [ "$status" -eq "$want" ] || fail "$name: status $status, not $want: $(head -c 300 "$work/err")"
    [ "$(cat "$work/err")" = "$said" ] || fail "$name: standard error '$(cat "$work/err")', not '$said'"
}
refused() { # WHAT: the one line for a file neither read nor replaced
    echo "the settings file $conf $1: it is neither read nor replaced, and the defaults are used"
}
both() { # NAME WARNING: the command and the unattended window, each saying it once
    run "$1: gapscope-report" 0 "gapscope-report: warning: $2" \
        "$report" "$work/data" --day 2024-03-01 --now 2024-03-02T06:10 --format json
    run "$1: gapscope-report --check" 0 "gapscope-report: warning: $2" \
        "$report" "$work/data" --check --day 2024-03-01 --now 2024-03-02T06:10
    run "$1: gapscope -s" 0 "gapscope: warning: $2" "$window" "$work/data" -s
}

mkfifo "$conf"
both "a FIFO" "$(refused "is a FIFO, not a regular file")"
[ -p "$conf" ] || fail "the FIFO was replaced"
rm -f "$conf"

if [ "$(id -u)" -eq 0 ]; then
    mknod "$conf" c 1 3
    both "a device" "$(refused "is a character device, not a regular file")"
    [ -c "$conf" ] || fail "the device was replaced"
    rm -f "$conf"

    # Another user's link to settings that would tick "Include LRIT".
    printf '[General]\nReportIncludeLRIT=1\n' >"$work/theirs.conf"
    ln -s "$work/theirs.conf" "$conf"
    chown -h nobody "$conf"
    both "another user's link" "$(refused "is a link owned by another user")"
    [ -L "$conf" ] && [ "$(stat -c %U "$conf")" = nobody ] || fail "the link was replaced"
    [ "$(cat "$work/theirs.conf")" = "$(printf '[General]\nReportIncludeLRIT=1')" ] ||
        fail "the link's target was written"
    "$report" "$work/data" --day 2024-03-01 --now 2024-03-02T06:10 --format json 2>/dev/null |
        grep -q '"ReportIncludeLRIT":0' || fail "the link of another user was followed"
    rm -f "$conf"
else
    echo "not root: no device nor link of another user made"
fi

# Garbage and a typed value whose type does not exist: said once, no word of Qt's; what can
# be read counts, and the window's close writes every box back.
printf '[General]\nReportIncludeFSD=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x10)\nReportIncludeLRIT=1\nnot a line\n' >"$conf"
garbled="the settings file $conf cannot be read in full (line 4, ReportIncludeFSD): the defaults stand for what cannot be read"
run "garbled: gapscope-report" 0 "gapscope-report: warning: $garbled" \
    "$report" "$work/data" --day 2024-03-01 --now 2024-03-02T06:10 --format json
grep -q '"ReportIncludeFSD":1,' "$work/out" && grep -q '"ReportIncludeLRIT":1,' "$work/out" ||
    fail "garbled: not the defaults and what can be read: $(head -c 400 "$work/out")"
run "garbled: gapscope -s" 0 "gapscope: warning: $garbled" "$window" "$work/data" -s
[ -f "$conf" ] && grep -qx 'ReportIncludeFSD=1' "$conf" && grep -qx 'ReportIncludeLRIT=1' "$conf" &&
    ! grep -q 'not a line' "$conf" || fail "garbled: not written back: $(cat "$conf")"
run "written back" 0 "" "$window" "$work/data" -s

GAPSCOPE_BUSY_WAIT=nan run "GAPSCOPE_BUSY_WAIT=nan" 0 \
    "gapscope: warning: GAPSCOPE_BUSY_WAIT takes seconds from 0 to 60, not 'nan'; the usual pauses are used" \
    "$window" "$work/data" -s

[ "$failed" -eq 0 ] && echo "every run ended, said why once and left what it must not replace"
exit "$failed"
