#!/usr/bin/env bash
# Measures what an operator waits for, on simulated station histories made once:
#   1. the whole gapscope-report process for one day of a two-year history, beside `wc -l`
#      over the same three logs, both timed by hyperfine in one run;
#   2. one report run with the logs in memory, on the two-year history beside a one-day one;
#   3. the peak memory of that gapscope-report process, against the size of its logs;
#   4. the last year of the two-year history as one range of days, with its summary lines
#      (and, for information, as JSON Lines), logs in memory;
#   5. the monitoring check on the two-year history, of the middle day and live on its last
#      day, beside the single-day report, whole processes timed by hyperfine in one run.
#   6. the same year drawn as a heat map by the whole gapscope-report process (--picture):
#      as SVG, written by the command itself without Qt, beside the PNG drawn through
#      gapscope-picture (Qt), in one run; and where their time goes, logs in memory;
#   7. following a ten-year segment history: one repeat cycle's records appended and the log
#      refreshed, beside loading the same log whole, in one run; and the window's look at its
#      logs after such a cycle (the three logs, the day reported again) beside its start;
#   8. the peak memory of reading a log of one-byte lines as a history log, beside reading
#      it whole into memory, per line (peak RSS / file size);
#   9. the peak memory of a ten-year range as JSON Lines over a ten-year history, each day
#      written as it is made, against the size of its logs and beside reading them whole;
#  10. starting the command: gapscope-report --version beside wc --version, run by turns
#      and compared pair by pair (bench/paired_runs.cpp).
# Then says whether each target holds. BENCH_RUNS sets the number of timed runs (pairs in
# 10: five times as many).
set -euo pipefail
build=${1:-build-bench}
histories="$build/histories"
runs=${BENCH_RUNS:-21}
mkdir -p "$histories"

# name service days; every history ends on the same day, the report day is its middle.
setups=("day-1 prime 1" "prime-730 prime 730" "rapid-730 rapid 730")
last=2025-06-30
for setup in "${setups[@]}"; do
  read -r name service days <<<"$setup"
  dir="$histories/$name"
  if [ ! -f "$dir/report-day.txt" ]; then
    rm -rf "$dir"
    "$build/bin/gapscope-simulate" "$dir" --service "$service" --to "$last" --days "$days" \
      --scenario typical --seed 7 --quiet
    date -u -d "$last - $((days / 2)) days" +%F > "$dir/report-day.txt"
  fi
done
export GAPSCOPE_BENCH_HISTORIES="$histories"
# Apart from those (the report benchmarks run on every history there): ten years of the
# prime service, the day after them, whose records 7 appends cycle by cycle, and for 8 a log
# of 10^8 bare line ends.
long="$build/histories-long"
next_day=$(date -u -d "$last + 1 day" +%F)
for setup in "prime-3650 3650 $last" "next-day 1 $next_day"; do
  read -r name days to <<<"$setup"
  if [ ! -f "$long/$name/SegHistory.log" ]; then
    rm -rf "${long:?}/$name"
    "$build/bin/gapscope-simulate" "$long/$name" --service prime --to "$to" --days "$days" \
      --scenario typical --seed 7 --quiet
  fi
done
newlines="$long/newlines.log"
if [ "$(stat -c %s "$newlines" 2>/dev/null)" != 100000000 ]; then
  head -c 100000000 /dev/zero | tr '\0' '\n' > "$newlines"
fi
logs() { printf '%s ' "$histories/$1"/{SegHistory,LateSegHistory,FileHistory}.log; }
long_logs() { printf '%s ' "$long/$1"/{SegHistory,LateSegHistory,FileHistory}.log; }
log_bytes() { cat $(logs "$1") | wc -c; }
median() {
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v l="$2" 'BEGIN { print (r <= l) ? "holds" : "FAILS" }'; }
# The medians of the named commands in a hyperfine JSON file, in ms, on one line.
hyperfine_ms() {
  python3 - "$@" <<'PY'
import json, sys
r = {x["command"]: x["median"] * 1000 for x in json.load(open(sys.argv[1]))["results"]}
print(*(r[name] for name in sys.argv[2:]))
PY
}
# The medians in a google-benchmark JSON file: one "name wall cpu" line each, in its unit.
benchmark_medians() {
  python3 - "$1" <<'PY'
import json, sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        print(b["run_name"].removesuffix("/real_time"), b["real_time"], b["cpu_time"])
PY
}

echo "== Machine"
echo "$(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo)," \
     "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f1 --complement | sed 's/^ *//')," \
     "$(uname -sr); load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== Histories (the three logs read at start-up)"
for setup in "${setups[@]}"; do
  read -r name _ _ <<<"$setup"
  printf '%-10s %10d bytes  report day %s\n' "$name" "$(log_bytes "$name")" \
    "$(cat "$histories/$name/report-day.txt")"
done

echo
echo "== 1. gapscope-report on one day of prime-730, beside wc -l over its logs and beside"
echo "      reading them whole into memory and counting their lines (ms; $runs runs)"
day=$(cat "$histories/prime-730/report-day.txt")
report_cmd="$build/bin/gapscope-report $histories/prime-730 --defaults --day $day"
hyperfine -N --warmup 3 --runs "$runs" --export-json "$build/process.json" \
  -n gapscope-report "$report_cmd" -n "wc -l" "wc -l $(logs prime-730)" \
  -n "read whole" "$build/bench/gapscope_read_whole $(logs prime-730)" >/dev/null
read -r report_ms wc_ms whole_ms < <(hyperfine_ms "$build/process.json" gapscope-report "wc -l" \
  "read whole")
printf '%-20s %8.1f\n%-20s %8.1f\n%-20s %8.1f\n' gapscope-report "$report_ms" "wc -l" "$wc_ms" \
  "read whole" "$whole_ms"
process_ratio=$(ratio "$report_ms" "$wc_ms")
whole_ratio=$(ratio "$whole_ms" "$wc_ms")

echo
echo "== 2. One report run, logs in memory (ms; medians of $runs)"
"$build/bench/gapscope_core_bench" --benchmark_repetitions="$runs" \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  --benchmark_out="$build/core.json" --benchmark_out_format=json >/dev/null 2>&1
benchmark_medians "$build/core.json" > "$build/core.txt"
core() { awk -v n="$1" '$1 == n { print $2 }' "$build/core.txt"; }
for setup in "${setups[@]}"; do
  read -r name _ _ <<<"$setup"
  printf '%-22s %8.2f\n' "Report/$name" "$(core "Report/$name")"
done
report_ratio=$(ratio "$(core Report/prime-730)" "$(core Report/day-1)")

echo
echo "== 3. Peak memory of gapscope-report on one day of prime-730 (MiB; median of 5)"
for _ in 1 2 3 4 5; do
  /usr/bin/time -f "%M" $report_cmd 2>&1 >/dev/null | tail -1
done > "$build/peak.txt"
peak_mib=$(median < "$build/peak.txt" | awk '{ printf "%.1f", $1 / 1024 }')
bytes_mib=$(awk -v b="$(log_bytes prime-730)" 'BEGIN { printf "%.1f", b / 1048576 }')
limit_mib=$(awk -v b="$bytes_mib" 'BEGIN { printf "%.1f", 1.5 * b + 30 }')
echo "peak $peak_mib, logs $bytes_mib, limit 1.5 x logs + 30 = $limit_mib"

if [ -x "$build/bench/gapscope_window_bench" ]; then
  echo
  echo "== For information: the window's report run (filling the lists) beside the core run (ms)"
  "$build/bench/gapscope_window_bench" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_out="$build/window.json" \
    --benchmark_out_format=json >/dev/null 2>&1
  benchmark_medians "$build/window.json" | awk '{ printf "%-40s %8.2f\n", $1, $2 }'
fi

echo
echo "== 4. A year of days over two years of history, as one range (ms; medians of 5)"
"$build/bench/gapscope_findings_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_out="$build/findings.json" \
  --benchmark_out_format=json >/dev/null 2>&1
benchmark_medians "$build/findings.json" > "$build/findings.txt"
awk '{ printf "%-40s %8.1f wall %8.1f cpu\n", $1, $2, $3 }' "$build/findings.txt"
year_ms=$(awk '$1 == "Findings/YearSummary/prime-730" { print $2 }' "$build/findings.txt")

echo
echo "== 5. The monitoring check on prime-730 beside the single-day report (ms; $runs runs)"
hyperfine -N --warmup 3 --runs "$runs" --export-json "$build/check.json" \
  -n report "$report_cmd" -n check "$report_cmd --check" \
  -n "live check" "$build/bin/gapscope-report $histories/prime-730 --defaults --check --day today --now ${last}T12:00" \
  >/dev/null
read -r plain_ms check_ms live_ms < <(hyperfine_ms "$build/check.json" report check "live check")
printf '%-20s %8.1f\n%-20s %8.1f\n%-20s %8.1f\n' report "$plain_ms" check "$check_ms" \
  "live check" "$live_ms"
check_ratio=$(ratio "$(awk -v a="$check_ms" -v b="$live_ms" 'BEGIN { print (a > b) ? a : b }')" "$plain_ms")

heatmap_ms=""
if [ -x "$build/bench/gapscope_picture_bench" ]; then
  echo
  echo "== 6. A year of days over prime-730 as a heat map (ms; $runs runs, medians)"
  year_from=$(date -u -d "$last - 364 days" +%F)
  picture_cmd() {
    echo "$build/bin/gapscope-report $histories/prime-730 --defaults --from $year_from --to $last --picture $build/heatmap.$1"
  }
  hyperfine -N --warmup 2 --runs "$runs" --export-json "$build/heatmap.json" \
    -n png "$(picture_cmd png)" -n svg "$(picture_cmd svg)" >/dev/null
  read -r heatmap_ms heatmap_svg_ms < <(hyperfine_ms "$build/heatmap.json" png svg)
  printf '%-52s %8.1f  %s bytes\n' \
    "gapscope-report --picture (PNG, gapscope-picture)" "$heatmap_ms" "$(stat -c %s "$build/heatmap.png")" \
    "gapscope-report --picture (SVG, itself, no Qt)" "$heatmap_svg_ms" "$(stat -c %s "$build/heatmap.svg")"
  echo "For information, logs in memory (medians of 5):"
  "$build/bench/gapscope_picture_bench" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_out="$build/picture.json" \
    --benchmark_out_format=json >/dev/null 2>&1
  benchmark_medians "$build/picture.json" |
    awk '{ printf "%-40s %8.1f wall %8.1f cpu\n", $1, $2, $3 }'
fi

echo
echo "== 7. Following prime-3650's SegHistory.log: one repeat cycle appended and the log refreshed,"
echo "      beside loading it whole (ms; medians of 5)"
GAPSCOPE_FOLLOW_HISTORIES="$long" "$build/bench/gapscope_log_follow_bench" --benchmark_repetitions=5 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  --benchmark_out="$build/follow.json" --benchmark_out_format=json >/dev/null 2>&1
benchmark_medians "$build/follow.json" > "$build/follow.txt"
load_ms=$(awk '$1 ~ /^Follow\/Load\// { print $2 }' "$build/follow.txt")
refresh_ms=$(awk '$1 ~ /^Follow\/Refresh\// { printf "%.3f", $2 }' "$build/follow.txt")
cycle_bytes=$(python3 - "$build/follow.json" <<'PY'
import json, sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b["run_name"].startswith("Follow/Refresh") and b.get("aggregate_name") == "median":
        print(round(b["bytes"]))
PY
)
printf '%-40s %10.1f  (%s bytes)\n' "loading it whole" "$load_ms" "$(stat -c %s "$long/prime-3650/SegHistory.log")"
printf '%-40s %10.3f  (%s bytes a cycle)\n' "appending a cycle and refreshing" "$refresh_ms" "$cycle_bytes"
follow_ratio=$(awk -v a="$refresh_ms" -v b="$load_ms" 'BEGIN { printf "%.6f", a / b }')
window_start_ms=$(awk '$1 ~ /^Follow\/WindowStart\// { print $2 }' "$build/follow.txt")
window_look_ms=$(awk '$1 ~ /^Follow\/WindowLook\// { printf "%.3f", $2 }' "$build/follow.txt")
printf '%-40s %10.1f  (the three logs, %s bytes)\n' "the window's start" "$window_start_ms" \
  "$(cat $(long_logs prime-3650) | wc -c)"
printf '%-40s %10.3f\n' "the window's look after a cycle" "$window_look_ms"
window_ratio=$(awk -v a="$window_look_ms" -v b="$window_start_ms" 'BEGIN { printf "%.6f", a / b }')

echo
echo "== 8. Peak memory of reading a log of one-byte lines (bare line ends), per line: peak RSS /"
echo "      file size"
newline_bytes=$(stat -c %s "$newlines")
peak_kib() { /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -1; }
per_line() { awk -v k="$1" -v b="$newline_bytes" 'BEGIN { printf "%.2f", k * 1024 / b }'; }
log_kib=$(peak_kib "$build/bench/gapscope_read_log" "$newlines")
whole_kib=$(peak_kib "$build/bench/gapscope_read_whole" "$newlines")
printf 'log of %d one-byte lines, %.1f MiB\n' "$newline_bytes" "$(awk -v b="$newline_bytes" 'BEGIN { print b / 1048576 }')"
printf '%-40s %8.1f MiB  %6s bytes a line\n' "read as a history log" "$(awk -v k="$log_kib" 'BEGIN { print k / 1024 }')" "$(per_line "$log_kib")" \
  "read whole into memory" "$(awk -v k="$whole_kib" 'BEGIN { print k / 1024 }')" "$(per_line "$whole_kib")"
line_bytes=$(per_line "$log_kib")
echo "== 9. Peak memory of a ten-year range as JSON Lines over prime-3650, beside reading its"
echo "      logs whole (MiB; one run each)"
range_from=$(date -u -d "$last - 3649 days" +%F)
/usr/bin/time -o "$build/range-peak.txt" -f "%M %e %U" "$build/bin/gapscope-report" \
  "$long/prime-3650" --defaults --from "$range_from" --to "$last" --format json \
  >"$build/range.jsonl"
read -r range_kib range_s range_user_s < "$build/range-peak.txt"
/usr/bin/time -o "$build/whole-peak.txt" -f "%M" "$build/bench/gapscope_read_whole" \
  $(long_logs prime-3650) >/dev/null
range_peak_mib=$(awk -v k="$range_kib" 'BEGIN { printf "%.1f", k / 1024 }')
whole_peak_mib=$(awk -v k="$(cat "$build/whole-peak.txt")" 'BEGIN { printf "%.1f", k / 1024 }')
range_logs_mib=$(awk -v b="$(cat $(long_logs prime-3650) | wc -c)" 'BEGIN { printf "%.1f", b / 1048576 }')
range_limit_mib=$(awk -v b="$range_logs_mib" 'BEGIN { printf "%.1f", 1.5 * b + 60 }')
range_out_mib=$(awk -v b="$(wc -c < "$build/range.jsonl")" 'BEGIN { printf "%.1f", b / 1048576 }')
echo "range $range_from to $last: peak $range_peak_mib; logs $range_logs_mib; reading them whole" \
     "$whole_peak_mib; output $range_out_mib; $range_s s ($range_user_s s user)"

start_pairs=$((runs * 5))
echo "== 10. Starting the command: gapscope-report --version beside wc --version, by turns"
echo "      (ms; $start_pairs pairs, medians; the ratio is the median of the pairs' ratios)"
read -r start_ms wc_start_ms start_ratio < <("$build/bench/gapscope_paired_runs" "$start_pairs" \
  "$build/bin/gapscope-report" --version -- wc --version)
printf '%-32s %8.2f\n%-32s %8.2f\n' "gapscope-report --version" "$start_ms" "wc --version" \
  "$wc_start_ms"

echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== Targets"
echo "1. gapscope-report / wc -l, prime-730:     $process_ratio  limit 8    $(verdict "$process_ratio" 8)"
echo "   (reading the logs whole alone / wc -l:   $whole_ratio)"
echo "2. report run, prime-730 / day-1:          $report_ratio  limit 1.5  $(verdict "$report_ratio" 1.5)"
echo "3. peak memory MiB, prime-730:             $peak_mib  limit $limit_mib  $(verdict "$peak_mib" "$limit_mib")"
echo "4. a year of days over prime-730, ms:      $year_ms  limit 1000  $(verdict "$year_ms" 1000)"
# "No longer than the report": the slower check over the report, with 5% for timing noise.
echo "5. check / single-day report, prime-730:   $check_ratio  limit 1.05 $(verdict "$check_ratio" 1.05)"
if [ -n "$heatmap_ms" ]; then
  echo "6. a year's heat map over prime-730, ms:   $(printf '%.1f' "$heatmap_ms")  limit 2000  $(verdict "$heatmap_ms" 2000)"
  echo "   the same as SVG, without Qt, ms:        $(printf '%.1f' "$heatmap_svg_ms")  limit 2000  $(verdict "$heatmap_svg_ms" 2000)"
fi
echo "7. refresh / whole load, prime-3650:       $follow_ratio  limit 0.1  $(verdict "$follow_ratio" 0.1)"
echo "   refresh after a cycle, ms:              $refresh_ms  limit 5    $(verdict "$refresh_ms" 5)"
echo "   window's look / its start, prime-3650:  $window_ratio  limit 0.1  $(verdict "$window_ratio" 0.1)"
echo "   window's look after a cycle, ms:        $window_look_ms  limit 5    $(verdict "$window_look_ms" 5)"
echo "8. bytes a line, log of one-byte lines:    $line_bytes  limit 8    $(verdict "$line_bytes" 8)"
echo "9. ten-year JSON range peak MiB, prime-3650: $range_peak_mib  limit $range_limit_mib (1.5 x logs + 60)  $(verdict "$range_peak_mib" "$range_limit_mib")"
echo "10. gapscope-report --version / wc --version: $(printf '%.2f' "$start_ratio")  limit 4    $(verdict "$start_ratio" 4)"
