#!/usr/bin/env bash
# gapscope-report under a memory limit (ulimit -v), raised step by step from where the
# program cannot even start to where a JSON range of four months runs through. At every step
# the run ends with its status: done, and the whole output; or one line on standard error
# and a non-zero status, with only whole documents printed before it. Never an abort, never a
# document cut off with status 0.
# Usage: memory_limit_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE
set -uo pipefail
report=$1 simulate=$2
# AddressSanitizer reserves terabytes of address space for its shadow: no such build starts
# under any limit that tests anything.
if ldd "$report" 2>/dev/null | grep -q libasan; then echo "SKIP: a sanitizer build"; exit 77; fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

"$simulate" "$work/station" --service rapid --to 2024-03-01 --days 120 --scenario bad-day --seed 3 \
    --quiet || { echo "FAIL: the simulator" >&2; exit 1; }
range=("$work/station" --defaults --now 2024-03-02T06:00 --from 2023-11-01 --format json)
"$report" "${range[@]}" >"$work/full" || { echo "FAIL: the range without a limit" >&2; exit 1; }
memory="gapscope-report: not enough memory to make the report"
# A log that does not fit is a log that cannot be read: the run ends, the log named.
log_memory="^gapscope-report: cannot read $work/station/[A-Za-z]*\\.log: not enough memory to read [A-Za-z]*\\.log \\([0-9.]+ [MG]B\\)\$"

short=0 done_whole=0
for ((mb = 4; mb <= 1024; mb += 2)); do
    (ulimit -v $((mb * 1024)); exec "$report" "${range[@]}") >"$work/out" 2>"$work/err"
    status=$?
    # Too little to load the program's libraries: the loader's business, not the program's.
    if [ "$status" -eq 127 ] && grep -q 'error while loading shared libraries' "$work/err"; then continue; fi
    said=$(cat "$work/err")
    if [ "$status" -ge 128 ]; then
        fail "$mb MB: ended by a signal (status $status): $(head -c 300 "$work/err")"
    elif [ "$status" -ne 0 ]; then
        { [ "$said" = "$memory" ] || grep -q -x -E "$log_memory" <<<"$said"; } ||
            fail "$mb MB: status $status said: $(head -c 300 "$work/err")"
        # Only whole documents, the first ones of the range.
        cmp -s "$work/out" <(head -c "$(stat -c %s "$work/out")" "$work/full") ||
            fail "$mb MB: what was printed is not the start of the range"
        [ ! -s "$work/out" ] || [ "$(tail -c 1 "$work/out" | od -An -c | tr -d ' ')" = '\n' ] ||
            fail "$mb MB: a document was cut off"
        short=$((short + 1))
    elif [ -n "$said" ]; then
        fail "$mb MB: status 0 said: $(head -c 300 "$work/err")"
    else
        cmp -s "$work/out" "$work/full" || fail "$mb MB: status 0, but not the whole range"
        done_whole=1
        break
    fi
done
[ "$short" -gt 0 ] || fail "no limit ran short of memory: the test tested nothing"
[ "$done_whole" -eq 1 ] || fail "no limit up to 1 GB let the range run through"
[ "$failed" -eq 0 ] && echo "memory limit: $short limits ran short and said so; the range ran through at $mb MB"
exit "$failed"
