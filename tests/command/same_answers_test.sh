#!/usr/bin/env bash
# The same answers on both systems: gapscope-report.exe under Wine and the Linux build of
# gapscope-report, over the same simulated histories of all three services, several days
# and option sets, print the same report (line ends aside) and save the same file; so does
# the Windows window's automatic run (-s), given. The Windows simulator must also write the
# very logs the Linux one writes.
# Usage: same_answers_test.sh WIN_REPORT WIN_SIMULATE LINUX_REPORT LINUX_SIMULATE [WIN_WINDOW]
set -euo pipefail
win_report=$1 win_simulate=$2 linux_report=$3 linux_simulate=$4 win_window=${5:-}
export LC_ALL=C.UTF-8  # Wine then takes code page 1252 as the ANSI one

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "$win_window" ]; then
    # Under a name of its own, so that its stored options (the design defaults, as nothing
    # is stored yet) are kept apart from the window's.
    cp "$win_window" "$work/gapscope-same-answers.exe"
    win_window=$work/gapscope-same-answers.exe
fi
# A saved report without the banner's computer name and minute.
unbannered() { sed -E 's/ on PC .* at [0-9:]+ UTC\]/]/' "$1"; }
trap 'echo "same_answers_test.sh: line $LINENO failed: $BASH_COMMAND" >&2' ERR

# The banner names the computer and the minute of the run; both differ between the runs.
normalise() {
    tr -d '\r' | sed -E 's/^\[Gapscope V([^ ]*) on PC .* at [0-9]{2}:[0-9]{2} UTC\]$/[Gapscope V\1 on PC (name) at (time)]/'
}

days=(2024-03-01 2024-03-02 2024-03-03)
# One option set a line, the first empty: the design defaults alone.
mapfile -t option_sets <"$(dirname "$0")/../data/option_sets.txt"
cases=0
failed=0
for service in prime rapid iodc; do
    simulate=(--service "$service" --from "${days[0]}" --days "${#days[@]}" --scenario bad-day --seed 19)
    linux_dir=$work/$service
    win_dir=$work/$service-win
    "$linux_simulate" "$linux_dir" "${simulate[@]}" >/dev/null
    wine "$win_simulate" "$(winepath -w "$win_dir")" "${simulate[@]}" >/dev/null
    for log in SegHistory.log LateSegHistory.log FileHistory.log process.log; do
        if ! cmp -s "$linux_dir/$log" "$win_dir/$log"; then
            echo "DIFFERENT LOG: $service $log from the two simulators"
            failed=$((failed + 1))
        fi
    done
    win_path=$(winepath -w "$linux_dir")
    for day in "${days[@]}"; do
        for options in "${option_sets[@]}"; do
            # shellcheck disable=SC2086 # an option set is several words
            linux=$("$linux_report" "$linux_dir" --day "$day" --defaults $options | normalise)
            # shellcheck disable=SC2086
            windows=$(wine "$win_report" "$win_path" --day "$day" --defaults $options | normalise)
            cases=$((cases + 1))
            if [ -z "$linux" ] || [ "$linux" != "$windows" ]; then
                echo "DIFFERENT REPORT: $service $day $options"
                diff <(echo "$linux") <(echo "$windows") | head -20 || true
                failed=$((failed + 1))
            fi
        done
    done
    # The saved file, CR LF line ends included.
    "$linux_report" "$linux_dir" --day "${days[1]}" --defaults --save >/dev/null
    saved=$(ls "$linux_dir"/*-missing-segments.txt)
    mv "$saved" "$work/linux-saved.txt"
    wine "$win_report" "$win_path" --day "${days[1]}" --defaults --save >/dev/null
    cases=$((cases + 1))
    if ! cmp -s <(unbannered "$work/linux-saved.txt") <(unbannered "$saved"); then
        echo "DIFFERENT SAVED FILE: $service ${days[1]}"
        failed=$((failed + 1))
    fi
    # The window's automatic run saves yesterday's report: the day after days[1] it is that.
    [ -n "$win_window" ] || continue
    for switches in "" "-neat -HIM"; do
        rm -f "$linux_dir"/*-missing-segments.txt
        # shellcheck disable=SC2086
        "$linux_report" "$linux_dir" --day "${days[1]}" --defaults --save $switches >/dev/null
        saved=$(ls "$linux_dir"/*-missing-segments.txt)
        mv "$saved" "$work/linux-saved.txt"
        status=0
        # shellcheck disable=SC2086
        GAPSCOPE_NOW=${days[2]}T06:00 wine "$win_window" "$win_path" -s $switches || status=$?
        cases=$((cases + 1))
        if [ "$status" -ne 0 ] || ! cmp -s <(unbannered "$work/linux-saved.txt") <(unbannered "$saved"); then
            echo "DIFFERENT FILE SAVED BY THE WINDOW: $service ${days[1]} -s $switches (status $status)"
            failed=$((failed + 1))
        fi
    done
done

# A damaged mask in an 8-bit log reaches the operator's message in the same letters: UTF-8
# on Linux, the ANSI code page (1252 here) through a pipe on Windows.
bad=$work/bad-mask
mkdir -p "$bad"
printf '202403010000=P=1,E=1,1=FF,2=$G\xe91\r\n' >"$bad/SegHistory.log"
linux=$("$linux_report" "$bad" --day 2024-03-01 --defaults 2>&1 >/dev/null || true)
windows=$( (wine "$win_report" "$(winepath -w "$bad")" --day 2024-03-01 --defaults 2>&1 >/dev/null || true) |
    iconv -f WINDOWS-1252 -t UTF-8 | tr -d '\r')
cases=$((cases + 1))
if [ "$linux" != "$windows" ] || [[ "$linux" != *$'$G\xc3\xa91'* ]]; then
    echo "DIFFERENT MESSAGE for a damaged mask:"
    diff <(echo "$linux") <(echo "$windows") || true
    failed=$((failed + 1))
fi

echo "$cases reports and messages compared over three services, $failed differences"
[ "$failed" -eq 0 ]
