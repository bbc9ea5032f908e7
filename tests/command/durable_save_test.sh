#!/usr/bin/env bash
# The system calls of a save, a back-fill and a metrics write, traced: each new file is
# flushed before it is renamed into place, and its folder after, so that a power cut
# leaves the old file or the new one; a folder that cannot be flushed is told. Runs wherever
# strace does (never skipped).
# Usage: durable_save_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE
set -uo pipefail
report=$1 simulate=$2

command -v strace >/dev/null || { echo "FAIL: strace not found (scripts/install-deps.sh installs it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

station=$work/station
"$simulate" "$station" --to 2024-03-01 --days 2 --scenario typical --seed 5 --quiet ||
    { echo "FAIL: the simulator" >&2; exit 1; }

# TRACE FILE...: for each file, in the trace: fsync of a temporary file beside it, then its
# rename onto the file relative to the folder, then fsync of the folder; and nothing left
# but the file.
check() {
    local trace=$1
    shift
    local file
    for file in "$@"; do
        python3 - "$trace" "$file" <<'EOF' || fail "$(basename "$file"): the calls were: $(cat "$trace")"
import os, re, sys
trace, target = sys.argv[1], sys.argv[2]
folder, name = os.path.split(target)
calls = [line for line in open(trace) if "= 0" in line]
def index(pattern):
    for i, line in enumerate(calls):
        if re.search(pattern, line):
            return i
    sys.exit(f"no call matching {pattern}")
temporary = re.escape(folder) + r"/\." + re.escape(name) + r"\.[0-9a-z]{6}\.partial"
flushed = index(r"^(\d+ +)?f(data)?sync\(\d+<" + temporary + ">\)")
# Renamed relative to the folder, which a swapped link or folder cannot turn elsewhere.
at = r"\d+<" + re.escape(folder) + ">"
renamed = index(r"^(\d+ +)?renameat2?\(" + at + r", \"\." + re.escape(name) + r"\.[0-9a-z]{6}\.partial\", " +
                at + r", \"" + re.escape(name) + "\"")
if not flushed < renamed:
    sys.exit("the file was not flushed before the rename")
if not [i for i, line in enumerate(calls) if i > renamed and re.search(r"fsync\(\d+<" + re.escape(folder) + ">\)", line)]:
    sys.exit("the folder was not flushed after the rename")
EOF
    done
    if ls -A "$station" | grep -q '\.partial$'; then fail "temporary files were left: $(ls -A "$station")"; fi
}

traced() { # TRACE ARGUMENT...
    local trace=$1
    shift
    # A sanitizer build's leak check cannot run under a tracer.
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -f -y -qq -e trace=fsync,fdatasync,rename,renameat,renameat2 -o "$trace" \
        "$report" "$station" --defaults --now 2024-03-02T06:00 "$@" >/dev/null ||
        fail "gapscope-report $*: status $?"
}

echo old > "$station/2024-03-01-missing-segments.txt"
traced "$work/save.trace" --save
check "$work/save.trace" "$station/2024-03-01-missing-segments.txt"

traced "$work/backfill.trace" --from 2024-02-29 --save --overwrite
check "$work/backfill.trace" "$station/2024-02-29-missing-segments.txt" \
    "$station/2024-03-01-missing-segments.txt"

traced "$work/metrics.trace" --format prometheus --metrics-file "$station/gapscope.prom"
check "$work/metrics.trace" "$station/gapscope.prom"

# A folder that cannot be flushed (its fsync fails): the report is in place, the run says it
# may not survive a power cut, and ends with status 0.
report_file=$station/2024-03-01-missing-segments.txt
echo old > "$report_file"
status=0
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -qq -o /dev/null -e trace=fsync -e inject=fsync:error=EIO:when=2 \
    "$report" "$station" --defaults --now 2024-03-02T06:00 --save --quiet 2>"$work/unflushed.err" || status=$?
[ "$status" -eq 0 ] || fail "a save whose folder could not be flushed: status $status"
grep -q . "$report_file" && ! grep -qx old "$report_file" || fail "the report was not replaced"
[ "$(cat "$work/unflushed.err")" = "gapscope-report: warning: $report_file was replaced, but its folder $station could not be flushed to disk (Input/output error): it may not survive a power cut" ] ||
    fail "a folder that could not be flushed says: $(cat "$work/unflushed.err")"

[ "$failed" -eq 0 ] && echo "durable saves: each file flushed, renamed, its folder flushed; an unflushed folder told"
exit "$failed"
