#!/usr/bin/env bash
# Runs every built fuzz target for a bounded time from its seed corpus.
# Usage: fuzz/run.sh <build-dir> [seconds-per-target] [parallel-jobs]
# New inputs go to a scratch folder (the seed corpus stays small); a crash,
# leak or hang leaves its input in <build-dir>/fuzz-artifacts and fails the
# run. Save such an input under tests/data/reliability/fuzz/<target>/ once
# fixed: ctest replays it from then on.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:?build folder}
seconds=${2:-30}
jobs=${3:-$(nproc)}
artifacts="$build/fuzz-artifacts"
scratch="$build/fuzz-scratch"
mkdir -p "$artifacts" "$scratch"

run_one() {
    local name=$1 program="$build/fuzz_$1"
    local dict=()
    [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
    [ "$name" = html ] || [ "$name" = headings ] && [ -f fuzz/html.dict ] && dict=(-dict=fuzz/html.dict)
    mkdir -p "$scratch/$name"
    local regressions=()
    [ -d "tests/data/reliability/fuzz/$name" ] && regressions=("tests/data/reliability/fuzz/$name")
    if "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "${dict[@]}" \
        "$scratch/$name" "fuzz/corpus/$name" "${regressions[@]}" >"$artifacts/$name.log" 2>&1; then
        echo "fuzz $name: ok ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$artifacts/$name.log" | grep -o '[0-9]*$') runs)"
    else
        echo "fuzz $name: FAILED, see $artifacts/$name.log"
        tail -40 "$artifacts/$name.log"
        return 1
    fi
}
export -f run_one
export build seconds artifacts scratch

targets=()
for program in "$build"/fuzz_*; do
    name=${program##*/fuzz_}
    [[ -x $program && $name != *_replay && -d fuzz/corpus/$name ]] && targets+=("$name")
done
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $build"; exit 1; }
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}'
