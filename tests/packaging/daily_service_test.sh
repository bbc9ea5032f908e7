#!/usr/bin/env bash
# The daily report's units, run on simulated stations the way systemd runs them. There is no
# systemd manager here, so a small runner reads the unit files: ConditionPathExists=,
# EnvironmentFile=, ExecCondition= and the ExecStart= lines, with systemd's rules for the
# specifiers and ${VAR} used, under a throwaway root that stands for / and the home folder.
# Usage: daily_service_test.sh USER_UNIT TEMPLATE_UNIT INSTALLED_HELPER HELPER REPORT_DIR SIMULATE
set -euo pipefail
user_unit=$1 template_unit=$2 installed_helper=$3 helper=$4 report_dir=$5 simulate=$6

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
today=$(date -u +%F)
day() { date -u -d "$today - $1 days" +%F; }
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# The value of KEY= in the given section of a unit file, one line per occurrence.
unit_values() { # FILE SECTION KEY
    awk -v section="[$2]" -v key="$3" '
        /^\[/ { inside = ($0 == section); next }
        inside && index($0, key "=") == 1 { print substr($0, length(key) + 2) }' "$1"
}

# Runs a unit's service as systemd would; prints "skipped", "done" or "failed STATUS".
# %i is INSTANCE, %E the configuration folder of the user manager (ROOT/home/.config),
# absolute paths of conditions and environment files lie under ROOT.
run_unit() { # UNIT INSTANCE
    local unit=$1 instance=$2 line path word status
    expand() { local t=${1//%i/$instance}; t=${t//%E/\/home\/.config}; echo "${t//%%/%}"; }
    while IFS= read -r line; do
        path=$(expand "$line")
        [ -e "$root$path" ] || { echo skipped; return; }
    done < <(unit_values "$unit" Unit ConditionPathExists)

    local -A vars=()
    while IFS= read -r line; do
        path=$root$(expand "$line")
        while IFS= read -r line || [ -n "$line" ]; do
            [[ $line =~ ^[[:space:]]*([#\;]|$) ]] && continue
            local value=${line#*=}
            [[ $value =~ ^\"(.*)\"$ ]] && value=${BASH_REMATCH[1]}
            vars[${line%%=*}]=$value
        done < "$path"
    done < <(unit_values "$unit" Service EnvironmentFile)

    # A command line: words split at blanks, a word ${NAME} is the variable's value whole.
    run_command() {
        local -a words argv=() exports=()
        read -r -a words <<<"$1"
        for word in "${words[@]}"; do
            if [[ $word =~ ^\$\{([A-Za-z_][A-Za-z0-9_]*)\}$ ]]; then
                argv+=("${vars[${BASH_REMATCH[1]}]:-}")
            elif [[ $word == *[\$%\"\'\\]* ]]; then
                echo "unit line not understood by this test's runner: $1" >&2
                return 255
            else
                argv+=("$word")
            fi
        done
        [ "${argv[0]}" = "$installed_helper" ] && argv[0]=$helper
        for name in "${!vars[@]}"; do exports+=("$name=${vars[$name]}"); done
        env PATH="$report_dir:$PATH" "${exports[@]}" "${argv[@]}"
    }
    while IFS= read -r line; do
        status=0
        run_command "$line" || status=$?
        if [ "$status" -ge 1 ] && [ "$status" -le 254 ]; then echo skipped; return; fi
        [ "$status" -eq 0 ] || { echo "failed $status"; return; }
    done < <(unit_values "$unit" Service ExecCondition)
    while IFS= read -r line; do
        status=0
        run_command "$line" || status=$?
        [ "$status" -eq 0 ] || { echo "failed $status"; return; }
    done < <(unit_values "$unit" Service ExecStart)
    echo done
}

expect_run() { # WHAT EXPECTED UNIT INSTANCE: the result, and silence on success
    local result
    result=$(run_unit "$3" "$4" 2>"$work/stderr")
    [ "$(tail -n 1 <<<"$result")" = "$2" ] || fail "$1: '$2' expected, got: $result"
    if [[ $2 != failed* && "$(head -n -1 <<<"$result")$(cat "$work/stderr")" != "" ]]; then
        fail "$1: printed on a run that went well: $(head -n -1 <<<"$result") $(cat "$work/stderr")"
    fi
}

reports_in() { find "$1" -name '*-missing-segments.txt' -printf '%f\n' | sort; }

# The user unit on a prime-service station with three days of history. The report file of
# the day before yesterday is there already and is left alone.
station=$root/srv/prime
"$simulate" "$station" --days 3 --scenario typical --quiet
mkdir -p "$root/home/.config/gapscope"
printf 'GAPSCOPE_DATA_DIR=%s\nGAPSCOPE_OPTIONS="--defaults"\n' "$station" \
    > "$root/home/.config/gapscope/daily.env"
# Only a report with its banner counts as one to keep.
kept='kept\r\n\r\n[From: Gapscope V1.0]\r\n\r\n'
printf "$kept" > "$station/$(day 2)-missing-segments.txt"
expect_run "user unit" done "$user_unit" ""
for n in 1 2 3; do
    [ -s "$station/$(day $n)-missing-segments.txt" ] || fail "user unit: no report of $(day $n)"
done
[ "$(cat "$station/$(day 2)-missing-segments.txt")" = "$(printf "$kept")" ] ||
    fail "user unit: the existing report of $(day 2) was written over"
grep -q "^Date: " "$station/$(day 1)-missing-segments.txt" ||
    fail "user unit: the report of $(day 1) holds no report"

# The template unit for a rapid-scan station named by /etc/gapscope/north.conf, with a switch.
station=$root/srv/north
"$simulate" "$station" --service rapid --days 3 --scenario clean --quiet
mkdir -p "$root/etc/gapscope"
printf '# the northern dish\nGAPSCOPE_DATA_DIR=%s\nGAPSCOPE_OPTIONS=--defaults -neat\n' "$station" \
    > "$root/etc/gapscope/north.conf"
expect_run "template unit" done "$template_unit" north
for n in 1 2 3; do
    [ -s "$station/$(day $n)-RSS-missing-segments.txt" ] ||
        fail "template unit: no rapid-scan report of $(day $n)"
done
if grep -q '^_____' "$station/$(day 1)-RSS-missing-segments.txt"; then
    fail "template unit: GAPSCOPE_OPTIONS (-neat) did not reach the report"
fi

# Units not set up, or set up for a folder that is not there, do nothing at all.
before=$(reports_in "$root"; reports_in "$report_dir")
expect_run "template unit without its file" skipped "$template_unit" south
echo "GAPSCOPE_DATA_DIR=$root/srv/typo" > "$root/etc/gapscope/typo.conf"
expect_run "template unit on a missing folder" skipped "$template_unit" typo
echo "GAPSCOPE_OPTIONS=--defaults" > "$root/etc/gapscope/nofolder.conf"
expect_run "template unit without a folder" skipped "$template_unit" nofolder
rm "$root/home/.config/gapscope/daily.env"
expect_run "user unit without its file" skipped "$user_unit" ""
[ "$(reports_in "$root"; reports_in "$report_dir")" = "$before" ] ||
    fail "a unit that was not set up wrote a report file"

if [ "$(date -u +%F)" != "$today" ]; then
    echo "The UTC day changed during the test; its days are not comparable." >&2
    exit 77
fi
[ "$failed" -eq 0 ] && echo "daily units: reports written, existing ones kept, idle when not set up"
exit "$failed"
