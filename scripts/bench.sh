#!/usr/bin/env bash
# Makes simulated station histories (once) and runs the benchmarks on them: load vs. a
# read-only baseline, one report run, the whole gapscope-report process (wall time, peak
# memory) and the window's report run beside the core run; then checks the four targets.
# Every figure is a median of BENCH_REPETITIONS runs. BENCH_PROFILE=1 adds an instruction
# profile of one report run on the largest prime history (needs valgrind).
set -euo pipefail
build=${1:-build-bench}
histories="$build/histories"
repetitions=${BENCH_REPETITIONS:-9}
mkdir -p "$histories"

# name service days; every history ends on the same day, the report day is its middle.
setups=("prime-1 prime 1" "prime-30 prime 30" "prime-365 prime 365" "rapid-365 rapid 365")
last=2025-06-30
for setup in "${setups[@]}"; do
  read -r name service days <<<"$setup"
  dir="$histories/$name"
  if [ ! -f "$dir/report-day.txt" ]; then
    rm -rf "$dir"
    "$build/tools/gapscope-simulate" "$dir" --service "$service" --to "$last" --days "$days" \
      --scenario typical --seed 7 --quiet
    date -u -d "$last - $((days / 2)) days" +%F > "$dir/report-day.txt"
  fi
done
export GAPSCOPE_BENCH_HISTORIES="$histories"

log_bytes() {
  cat "$histories/$1"/{FileHistory,LateSegHistory,SegHistory}.log | wc -c
}

# Median of the numbers on standard input.
median() {
  sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Field of a benchmark's median row in a CSV file: real_time, cpu_time or bytes_per_second.
field() {
  local csv=$1 name=$2 column=$3
  # Benchmarks timing the whole process's CPU carry "/process_time" in their names.
  awk -F, -v name="\"$name/real_time_median\"" -v other="\"$name/process_time/real_time_median\"" \
    -v column="$column" '
    /^name,/ { for (i = 1; i <= NF; i++) col[$i] = i; next }
    $1 == name || $1 == other { print $(col[column]); exit }' "$csv"
}

echo "== Machine"
echo "$(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo)," \
     "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f1 --complement | sed 's/^ *//')," \
     "$(uname -sr)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== History sizes (the three logs read at start-up)"
for setup in "${setups[@]}"; do
  read -r name _ _ <<<"$setup"
  printf '%-10s %10d bytes  report day %s\n' "$name" "$(log_bytes "$name")" \
    "$(cat "$histories/$name/report-day.txt")"
done

core_csv="$build/core-bench.csv"
echo
echo "== Core: baseline read, load, one report run (medians of $repetitions; ms)"
# Repetitions run in random order, so that the machine speeding up or slowing down during
# the run falls on the baseline and the load alike.
"$build/bench/gapscope_core_bench" --benchmark_repetitions="$repetitions" \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_out="$core_csv" \
  --benchmark_out_format=csv >/dev/null 2>&1
printf '%-20s %10s %10s %12s\n' benchmark wall cpu MB/s
for setup in "${setups[@]}"; do
  read -r name _ _ <<<"$setup"
  for kind in Baseline Load Report; do
    bps=$(field "$core_csv" "$kind/$name" bytes_per_second)
    printf '%-20s %10.3f %10.3f %12s\n' "$kind/$name" "$(field "$core_csv" "$kind/$name" real_time)" \
      "$(field "$core_csv" "$kind/$name" cpu_time)" \
      "$( [ -n "$bps" ] && awk -v b="$bps" 'BEGIN { printf "%.0f", b / 1e6 }' || echo -)"
  done
done

# The load of a large history uses both processors, so its ratio to the one-thread
# baseline moves more from run to run than the other figures: BENCH_LOAD_RUNS=N repeats
# that pair N - 1 more times and prints the spread of the ratio.
load_runs=${BENCH_LOAD_RUNS:-1}
if [ "$load_runs" -gt 1 ]; then
  echo
  echo "== Load / baseline over $load_runs runs (each the median of $repetitions; lowest, median, highest)"
  load_ratio() {
    awk -v a="$(field "$1" "Load/$2" bytes_per_second)" \
      -v b="$(field "$1" "Baseline/$2" bytes_per_second)" 'BEGIN { printf "%.2f\n", a / b }'
  }
  for name in prime-365 rapid-365; do
    load_ratio "$core_csv" "$name" > "$build/load-ratios-$name.txt"
  done
  for _ in $(seq 2 "$load_runs"); do
    "$build/bench/gapscope_core_bench" --benchmark_filter='^(Baseline|Load)/.*-365' \
      --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
      --benchmark_report_aggregates_only=true --benchmark_out="$build/load-run.csv" \
      --benchmark_out_format=csv >/dev/null 2>&1
    for name in prime-365 rapid-365; do
      load_ratio "$build/load-run.csv" "$name" >> "$build/load-ratios-$name.txt"
    done
  done
  for name in prime-365 rapid-365; do
    sort -g "$build/load-ratios-$name.txt" | awk -v name="$name" '
      { v[NR] = $1 } END { printf "%-10s %5.2f %5.2f %5.2f  (%s)\n", name, v[1], v[int((NR + 1) / 2)], v[NR], NR " runs" }'
  done
fi

echo
echo "== gapscope-report process (medians of $repetitions runs)"
printf '%-10s %10s %14s %22s\n' history "wall ms" "peak KiB" "limit 1.5 B + 30 MB KiB"
memory_holds=yes
for setup in "${setups[@]}"; do
  read -r name _ _ <<<"$setup"
  day=$(cat "$histories/$name/report-day.txt")
  : > "$build/time.txt"
  : > "$build/wall.txt"
  for _ in $(seq "$repetitions"); do
    start=$(date +%s%N)
    /usr/bin/time -a -f "%M" -o "$build/time.txt" \
      "$build/app/gapscope-report" "$histories/$name" --defaults --day "$day" >/dev/null
    echo $(( ($(date +%s%N) - start) / 1000 )) >> "$build/wall.txt"
  done
  wall=$(median < "$build/wall.txt" | awk '{ printf "%.1f", $1 / 1000 }')
  kib=$(median < "$build/time.txt")
  limit=$(( $(log_bytes "$name") * 3 / 2 / 1024 + 30 * 1024 ))
  printf '%-10s %10s %14s %22s\n' "$name" "$wall" "$kib" "$limit"
  awk -v k="$kib" -v l="$limit" 'BEGIN { exit !(k < l) }' || memory_holds=no
done

window_csv="$build/window-bench.csv"
if [ -x "$build/bench/gapscope_window_bench" ]; then
  echo
  echo "== Window: picking a day (DateChanged filling the lists; then with the repaint) vs. the core run (medians; ms)"
  "$build/bench/gapscope_window_bench" --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true --benchmark_out="$window_csv" \
    --benchmark_out_format=csv >/dev/null 2>&1
  printf '%-38s %10s %10s\n' benchmark wall cpu
  for setup in "${setups[@]}"; do
    read -r name _ _ <<<"$setup"
    for kind in WindowDateChanged WindowDateChangedAndRepaint CoreRun; do
      printf '%-38s %10.3f %10.3f\n' "$kind/$name" "$(field "$window_csv" "$kind/$name" real_time)" \
        "$(field "$window_csv" "$kind/$name" cpu_time)"
    done
  done
fi

echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== Targets (wall-time ratios; cpu-time ratios in brackets)"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v l="$2" -v op="$3" 'BEGIN { ok = op == "<=" ? r <= l : r >= l; print ok ? "holds" : "FAILS" }'; }
report_wall=$(ratio "$(field "$core_csv" Report/prime-365 real_time)" "$(field "$core_csv" Report/prime-1 real_time)")
report_cpu=$(ratio "$(field "$core_csv" Report/prime-365 cpu_time)" "$(field "$core_csv" Report/prime-1 cpu_time)")
echo "report run, prime-365 / prime-1:        $report_wall ($report_cpu)  limit 1.5   $(verdict "$report_wall" 1.5 '<=')"
for name in prime-365 rapid-365; do
  load=$(ratio "$(field "$core_csv" "Load/$name" bytes_per_second)" "$(field "$core_csv" "Baseline/$name" bytes_per_second)")
  echo "load / baseline MB/s, $name:       $load         floor 0.5   $(verdict "$load" 0.5 '>=')"
done
echo "gapscope-report peak memory < 1.5 B + 30 MB on every history: $memory_holds"
if [ -f "$window_csv" ]; then
  for name in prime-365 rapid-365; do
    wall=$(ratio "$(field "$window_csv" "WindowDateChanged/$name" real_time)" "$(field "$window_csv" "CoreRun/$name" real_time)")
    cpu=$(ratio "$(field "$window_csv" "WindowDateChanged/$name" cpu_time)" "$(field "$window_csv" "CoreRun/$name" cpu_time)")
    echo "window / core run, $name:          $wall ($cpu)  limit 2     $(verdict "$wall" 2 '<=') ($(verdict "$cpu" 2 '<='))"
  done
  for name in prime-365 rapid-365; do
    wall=$(ratio "$(field "$window_csv" "WindowDateChangedAndRepaint/$name" real_time)" "$(field "$window_csv" "CoreRun/$name" real_time)")
    cpu=$(ratio "$(field "$window_csv" "WindowDateChangedAndRepaint/$name" cpu_time)" "$(field "$window_csv" "CoreRun/$name" cpu_time)")
    echo "  with the repaint, $name:         $wall ($cpu)  (for information)"
  done
fi

if [ "${BENCH_PROFILE:-0}" = 1 ] && command -v valgrind >/dev/null; then
  echo
  echo "== Instructions of one report run on prime-365 (callgrind, inside BuildDayReport; top functions)"
  day=$(cat "$histories/prime-365/report-day.txt")
  valgrind --tool=callgrind --callgrind-out-file="$build/callgrind.out" \
    --toggle-collect='*BuildDayReport*' \
    "$build/app/gapscope-report" "$histories/prime-365" --defaults --day "$day" >/dev/null 2>&1
  # sed reads to the end, so that no part of the pipe is cut off early.
  callgrind_annotate --inclusive=no "$build/callgrind.out" 2>/dev/null | sed -n '/^Ir/,$p' |
    sed -n '1,25p' | cut -c1-150
fi

# Findings: one report run on a one-day and a two-year history, and the last year of the
# two-year history as one range (summary lines; JSON Lines). Histories of its own, made once.
if [ -x "$build/bench/gapscope_findings_bench" ]; then
  findings_csv="$build/findings-bench.csv"
  echo
  echo "== Findings: a day, and a year of days over two years of history (medians of $repetitions; ms)"
  "$build/bench/gapscope_findings_bench" --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true --benchmark_out="$findings_csv" \
    --benchmark_out_format=csv >/dev/null 2>&1
  printf '%-40s %10s %10s\n' benchmark wall cpu
  for name in Day/prime-1 Day/prime-730 YearSummary/prime-730 YearSummary/rapid-730 \
              YearSummary/rapid-730-fill-in YearJson/prime-730; do
    printf '%-40s %10.1f %10.1f\n' "Findings/$name" "$(field "$findings_csv" "Findings/$name" real_time)" \
      "$(field "$findings_csv" "Findings/$name" cpu_time)"
  done
  for name in prime-730 rapid-730; do
    year=$(field "$findings_csv" "Findings/YearSummary/$name" real_time)
    echo "a year of days, $name: $year ms  limit 1000   $(verdict "$year" 1000 '<=')"
  done
fi
