#!/usr/bin/env bash
# Makes simulated station histories (once) and runs the benchmarks on them:
# load vs. a read-only baseline, one report run, the whole gapscope-report process
# (wall time, peak memory) and the window's report run beside the core run.
set -euo pipefail
build=${1:-build-bench}
histories="$build/histories"
repetitions=${BENCH_REPETITIONS:-5}
mkdir -p "$histories"

# name service days; every history ends on the same day, the report day is its middle.
plans=("prime-1 prime 1" "prime-30 prime 30" "prime-365 prime 365" "rapid-365 rapid 365")
last=2025-06-30
for plan in "${plans[@]}"; do
  read -r name service days <<<"$plan"
  dir="$histories/$name"
  if [ ! -f "$dir/report-day.txt" ]; then
    rm -rf "$dir"
    "$build/tools/gapscope-simulate" "$dir" --service "$service" --to "$last" --days "$days" \
      --scenario typical --seed 7 --quiet
    date -u -d "$last - $((days / 2)) days" +%F > "$dir/report-day.txt"
  fi
done
export GAPSCOPE_BENCH_HISTORIES="$histories"

echo "== Machine"
echo "$(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo)," \
     "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo
echo "== History sizes (the three logs read at start-up)"
for plan in "${plans[@]}"; do
  read -r name _ _ <<<"$plan"
  bytes=$(cat "$histories/$name"/{FileHistory,LateSegHistory,SegHistory}.log | wc -c)
  printf '%-10s %10d bytes  report day %s\n' "$name" "$bytes" "$(cat "$histories/$name/report-day.txt")"
done
echo
echo "== Core: baseline read, load, one report run (medians of $repetitions)"
"$build/bench/gapscope_core_bench" --benchmark_repetitions="$repetitions" \
  --benchmark_report_aggregates_only=true --benchmark_filter='_median|.' 2>/dev/null |
  grep -E 'Benchmark|-----|_median'
echo
echo "== gapscope-report process (wall time, peak resident memory)"
for plan in "${plans[@]}"; do
  read -r name _ _ <<<"$plan"
  day=$(cat "$histories/$name/report-day.txt")
  /usr/bin/time -f "%e %M" -o "$build/time.txt" \
    "$build/app/gapscope-report" "$histories/$name" --defaults --day "$day" >/dev/null
  read -r wall kib < "$build/time.txt"
  bytes=$(cat "$histories/$name"/{FileHistory,LateSegHistory,SegHistory}.log | wc -c)
  limit=$(( bytes * 3 / 2 / 1024 + 30 * 1024 ))
  printf '%-10s wall %6ss  peak %8d KiB  limit 1.5 x B + 30 MB = %8d KiB\n' "$name" "$wall" "$kib" "$limit"
done
if [ -x "$build/bench/gapscope_window_bench" ]; then
  echo
  echo "== Window: DateChanged with filling the lists vs. the core run alone (medians)"
  "$build/bench/gapscope_window_bench" --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'Benchmark|-----|_median'
fi
