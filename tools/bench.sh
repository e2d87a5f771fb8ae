#!/bin/sh
# The benchmark suite: builds Release with the benchmarks into build-bench/,
# then prints
#   1. end-to-end `vorn1 -command` runs on fresh copies of generated sites
#      (local TOCs off and on) and on one large page, beside the durable
#      rewrite floor (read, write a temporary file, fdatasync, rename), with
#      the scaling over the site sizes given (time per MB);
#   2. the microbenchmarks of the engine's stages (Google Benchmark) and the
#      whole in-memory page pipeline;
#   3. the template engine over 100,000 events with each shipped template.
#
#   tools/bench.sh [pages...] [--runs N] [--docs FOLDER]
#
#   pages      site sizes, default 100 1000 10000 (10,000 pages take minutes:
#              every page is synced to disk)
#   --runs N   runs per end-to-end case, default 5 (half as many from 5,000
#              pages up); the table shows medians
#   --docs F   also build an HTML documentation folder, e.g.
#              /usr/share/doc/valgrind/html (copied first, never touched)
#
# Generated sites are kept in $ORVANE_BENCH_WORK (default /tmp/orvane-site-bench).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
pages=""
runs=5
docs=""
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --docs) docs="$2"; shift 2 ;;
        *) pages="${pages:+$pages,}$1"; shift ;;
    esac
done
pages="${pages:-100,1000,10000}"

if ! [ -f /usr/include/benchmark/benchmark.h ]; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get install -y libbenchmark-dev
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON \
    -DORVANE_GUI=OFF -DORVANE_TESTS=OFF >/dev/null
ninja -C "$build" orvane_data vorn1 durable_floor site_bench engine_bench html_bench template_bench

echo
echo "== End to end (median wall; CPU and peak RSS of the build process) =="
set -- --bin "$build" --pages "$pages" --runs "$runs" \
    --work "${ORVANE_BENCH_WORK:-/tmp/orvane-site-bench}"
[ -n "$docs" ] && set -- "$@" --docs "$docs"
"$build/site_bench" "$@"

echo
echo "== Engine stages in memory =="
"$build/engine_bench" --benchmark_min_time=0.5
echo
echo "== Reader with file reads, heap per page size =="
"$build/html_bench" --benchmark_min_time=0.5
echo
echo "== Template engine and rendering, 100,000 events =="
(cd "$build" && ./template_bench)
