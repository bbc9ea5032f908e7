#!/usr/bin/env bash
# Runs every fuzz target for a bounded time: run.sh BUILD_DIR SECONDS_PER_TARGET [TARGET ...]
# Each target grows its own corpus in BUILD_DIR/fuzz-corpus/<target>, starting from the
# seeds in fuzz/seeds/<target> and the inputs kept in tests/data/fuzz-regressions/<target>.
# A crash, a broken property or an input slower than FUZZ_TIMEOUT seconds fails the run and
# leaves the input in BUILD_DIR/fuzz-artifacts/; keep it as a regression once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:?build directory}
seconds=${2:?seconds per target}
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(history_log record day_report command_line)

timeout=${FUZZ_TIMEOUT:-10}
rss_limit=${FUZZ_RSS_MB:-2560}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
for target in "${targets[@]}"; do
    binary="$build/fuzz/fuzz_$target"
    corpus="$build/fuzz-corpus/$target"
    artifacts="$build/fuzz-artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    inputs=("$corpus" "fuzz/seeds/$target")
    [ -d "tests/data/fuzz-regressions/$target" ] && inputs+=("tests/data/fuzz-regressions/$target")
    echo "== fuzz_$target for ${seconds}s"
    if ! "$binary" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb="$rss_limit" \
        -dict=fuzz/gapscope.dict -artifact_prefix="$artifacts/" -print_final_stats=1 \
        "${inputs[@]}" >"$build/fuzz-$target.log" 2>&1; then
        echo "fuzz_$target FAILED; see $build/fuzz-$target.log and $artifacts/" >&2
        tail -n 40 "$build/fuzz-$target.log" >&2
        status=1
    else
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^Done' "$build/fuzz-$target.log" || true
    fi
done
exit $status
