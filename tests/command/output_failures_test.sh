#!/usr/bin/env bash
# gapscope-report's standard output checked in every mode: a full device is status 3 with one
# line saying so, never a quiet 0 (gapscope-simulate's: status 1); a reader that goes away (`| head`) ends the run quietly
# and early. Odd numbers from the environment and the command line are said and refused.
# Usage: output_failures_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE
set -uo pipefail
report=$1 simulate=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

station=$work/station
"$simulate" "$station" --to 2024-03-01 --days 3 --scenario typical --seed 7 --quiet ||
    { echo "FAIL: the simulator" >&2; exit 1; }
run() { "$report" "$station" --defaults --now 2024-03-02T06:00 "$@"; }

# --- a full device as standard output ------------------------------------------------------
modes=("" "--format json" "--from 2024-02-28" "--from 2024-02-28 --format json" "--save"
       "--from 2024-02-28 --save --overwrite" "--check" "--format prometheus" "--help" "--version")
"$report" --help | grep -q -- '--picture FILE' && modes+=("--picture $work/day.png")
for mode in "${modes[@]}"; do
    # shellcheck disable=SC2086 # the mode is split into its options on purpose
    run $mode >/dev/full 2>"$work/err"
    status=$?
    [ "$status" -eq 3 ] || fail "'$mode' onto a full device: status $status, not 3"
    [ "$(cat "$work/err")" = "gapscope-report: cannot write the output: No space left on device" ] ||
        fail "'$mode' onto a full device said: $(cat "$work/err")"
done
# Nothing to print is nothing to fail.
run --save --quiet >/dev/full 2>"$work/err" || fail "--save --quiet onto a full device: status $?"
# The simulator checks its output too (status 1).
for mode in --help --version "$work/simulated --days 1 --list-faults"; do
    # shellcheck disable=SC2086
    "$simulate" $mode >/dev/full 2>"$work/err"
    status=$?
    [ "$status" -eq 1 ] && [ "$(cat "$work/err")" = "gapscope-simulate: cannot write the output: No space left on device" ] ||
        fail "gapscope-simulate $mode onto a full device: status $status, $(cat "$work/err")"
done

# --- a reader that goes away ------------------------------------------------------------------
# Ten years of days: far more than the reader takes, and far more time than it waits.
long=(--from 2014-03-01 --to 2024-03-01 --format json)
run "${long[@]}" 2>"$work/err" | head -c 100 >/dev/null
status=${PIPESTATUS[0]}
[ "$status" -eq 141 ] || fail "a closed pipe: status $status, not 141 (SIGPIPE)"
[ -s "$work/err" ] && fail "a closed pipe said: $(cat "$work/err")"
# Where SIGPIPE is ignored (inherited), the closed pipe is a write error, still said by nobody.
start=$SECONDS
(trap '' PIPE; run "${long[@]}" 2>"$work/err" | head -c 100 >/dev/null; exit "${PIPESTATUS[0]}")
status=$?
[ "$status" -eq 3 ] || fail "a closed pipe, SIGPIPE ignored: status $status, not 3"
[ -s "$work/err" ] && fail "a closed pipe, SIGPIPE ignored, said: $(cat "$work/err")"
[ $((SECONDS - start)) -lt 20 ] || fail "a closed pipe did not end the range early"

# --- odd numbers --------------------------------------------------------------------------------
for wait in inf nan 1e300 -1 61; do
    out=$(GAPSCOPE_BUSY_WAIT=$wait run --save --quiet 2>&1)
    status=$?
    [ "$status" -eq 0 ] || fail "GAPSCOPE_BUSY_WAIT=$wait: status $status"
    [ "$out" = "gapscope-report: warning: GAPSCOPE_BUSY_WAIT takes seconds from 0 to 60, not '$wait'; the usual pauses are used" ] ||
        fail "GAPSCOPE_BUSY_WAIT=$wait said: $out"
done
line=$("$report" "$station" --defaults --check --day today --now 9999-12-31T23:59)
[[ $line == *"newest segment record "[1-9]*" min old"* ]] || fail "a clock at 9999-12-31: $line"
for odd in "--now 0000-01-01T00:00" "--day 1969-12-31" "--grace 99999999999" "--grace -1" \
           "--check --warning missing_cycles=1e400" "--check --critical last_record_age=~:99999999999999999"; do
    # shellcheck disable=SC2086
    "$report" "$station" --defaults $odd >"$work/out" 2>"$work/err"
    status=$?
    case $odd in
        --check*) [ "$status" -eq 3 ] && grep -q '^GAPSCOPE UNKNOWN - bad usage: ' "$work/out" ;;
        *) [ "$status" -eq 2 ] && [ "$(head -n 1 "$work/err" | cut -c1-17)" = "gapscope-report: " ] ;;
    esac || fail "'$odd': status $status, said: $(cat "$work/out" "$work/err")"
done

[ "$failed" -eq 0 ] && echo "output failures: a full device, a closed pipe and odd numbers are said"
exit "$failed"
