#!/usr/bin/env bash
# The metrics units: the timer every 15 minutes, the service running the helper for its
# instance with the station's settings file, and the helper writing the current day's
# metrics (checked by promtool) where the settings say, by default into the node exporter's
# text-file folder under the instance's name.
# Usage: metrics_service_test.sh SERVICE_UNIT TIMER_UNIT INSTALLED_HELPER HELPER REPORT_DIR SIMULATE
set -euo pipefail
service=$1 timer=$2 installed_helper=$3 helper=$4 report_dir=$5 simulate=$6
command -v promtool >/dev/null ||
    { echo "SKIP: promtool not found (scripts/install-deps.sh installs it)" >&2; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# The unit lines that decide what runs and when.
for line in "ConditionPathExists=/etc/gapscope/%i.conf" "EnvironmentFile=/etc/gapscope/%i.conf" \
            "ExecCondition=/usr/bin/test -d \${GAPSCOPE_DATA_DIR}" "ExecStart=$installed_helper %i"; do
    grep -qxF -- "$line" "$service" || fail "$service lacks the line $line"
done
grep -qx 'OnCalendar=\*:00/15' "$timer" || fail "$timer: not every 15 minutes"
grep -qx 'WantedBy=timers.target' "$timer" || fail "$timer: not wanted by timers.target"

# The helper's command line, seen by a stand-in for gapscope-report: the options of the
# settings file split at blanks, the current day, the default file and label.
mkdir -p "$work/stub" "$work/srv/north"
printf '#!/bin/sh\nprintf "%%s\\n" "$@"\n' > "$work/stub/gapscope-report"
chmod +x "$work/stub/gapscope-report"
got=$(env PATH="$work/stub:$PATH" GAPSCOPE_DATA_DIR="$work/srv/north" \
          GAPSCOPE_OPTIONS="--defaults -NOMPE" "$helper" north | paste -sd' ')
want="$work/srv/north --defaults -NOMPE --day today --format prometheus --station north"
want+=" --metrics-file /var/lib/prometheus/node-exporter/gapscope-north.prom"
[ "$got" = "$want" ] || fail "the helper runs: $got; expected: $want"

# The real program on a simulated station that has been receiving until now.
"$simulate" "$work/srv/north" --days 1 --until-now --scenario clean --quiet --replace
file=$work/textfiles/gapscope-north.prom
mkdir -p "$work/textfiles"
env PATH="$report_dir:$PATH" GAPSCOPE_DATA_DIR="$work/srv/north" GAPSCOPE_OPTIONS=--defaults \
    GAPSCOPE_METRICS_FILE="$file" GAPSCOPE_STATION=North "$helper" north ||
    fail "the helper failed with status $?"
grep -q '^gapscope_missing_cycles{station="North",gapscope_service="prime"} 0$' "$file" ||
    fail "no count of missing cycles for North in $file: $(cat "$file")"
# The day watched live: that of the time less the grace and an hour.
live_day() { date -u -d "$(date -u -d "@$(( $(date -u +%s) - 90 * 60 ))" +%F)" +%s; }
today=$(live_day)
grep -q "^gapscope_report_day_timestamp_seconds{station=\"North\",gapscope_service=\"prime\"} $today\$" "$file" ||
    fail "the metrics are not of the day watched live: $(grep day_timestamp "$file")"
out=$(promtool check metrics < "$file" 2>&1) || fail "promtool check metrics: $out"

# Without a folder the helper refuses, and writes nothing.
status=0
env PATH="$report_dir:$PATH" GAPSCOPE_METRICS_FILE="$work/none.prom" "$helper" north 2>/dev/null ||
    status=$?
[ "$status" -eq 2 ] && [ ! -e "$work/none.prom" ] || fail "the helper without a folder: status $status"

if [ "$(live_day)" != "$today" ]; then
    echo "The UTC day changed during the test; its days are not comparable." >&2
    exit 77
fi
[ "$failed" -eq 0 ] && echo "metrics units: every 15 minutes, the live metrics in their file"
exit "$failed"
