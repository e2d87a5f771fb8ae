#!/bin/sh
# The benchmark suite: builds Release with the benchmarks into build-bench/,
# then prints
#   1. end-to-end `vorn1 -command` runs on fresh copies of generated sites
#      (local TOCs off and on) and on one large page, beside the durable
#      rewrite floor (read, write a temporary file, fdatasync, rename), with
#      the scaling over the site sizes given (time per MB); on each generated
#      site the rebuild of the unchanged site, the rebuild after one page was
#      edited and the clearing run, with the files each changed and wrote
#      and, when strace is installed, the system calls each made a page;
#      the floors: per page, batched with each barrier (stage every page,
#      one barrier, renames, folder syncs), read and compare; the targets;
#   2. the cost of single file operations on the work folder's file system
#      (printed first); a site run on one thread against one on every core
#      (first build, its engine part, unchanged rebuild, check);
#   3. the microbenchmarks of the engine's stages (Google Benchmark) and the
#      whole in-memory page pipeline;
#   4. the template engine over 100,000 events with each shipped template.
#
#   tools/bench.sh [pages...] [--runs N] [--docs FOLDER] [--scale PAGES] [--sites-only]
#
#   pages         site sizes, default 100 1000 10000 (10,000 pages take
#                 minutes: every page is synced to disk)
#   --runs N      runs per end-to-end case, default 5 (half as many from 5,000
#                 pages up); the tables show medians and the load average
#   --docs F      also build an HTML documentation folder, e.g.
#                 /usr/share/doc/valgrind/html (copied first, never touched)
#   --scale P     also one first build of a generated site of P pages of
#                 4 KB listing h1 only, e.g. 100000 (about 0.4 GB, and as
#                 much again for each copy: it is skipped when the disk has
#                 no room), beside 1,000 such pages; takes long
#   --sites-only  sections 1 and 2 only
#
# Generated sites are kept in $ORVANE_BENCH_WORK (default /tmp/orvane-site-bench).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
pages=""
runs=5
docs=""
scale=""
sites_only=""
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --docs) docs="$2"; shift 2 ;;
        --scale) scale="$2"; shift 2 ;;
        --sites-only) sites_only=1; shift ;;
        *) pages="${pages:+$pages,}$1"; shift ;;
    esac
done
pages="${pages:-100,1000,10000}"

if ! [ -f /usr/include/benchmark/benchmark.h ]; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get install -y libbenchmark-dev
fi
launcher=""
command -v ccache >/dev/null && launcher=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON \
    -DORVANE_GUI=OFF -DORVANE_TESTS=OFF $launcher >/dev/null
ninja -C "$build" orvane_data vorn1 durable_floor batched_floor fs_costs site_bench engine_bench \
    html_bench template_bench jobs_bench
work="${ORVANE_BENCH_WORK:-/tmp/orvane-site-bench}"

echo
echo "== File operations on the work folder's file system (load $(cut -d' ' -f1 /proc/loadavg)) =="
# First: the copies site_bench removes at its end would slow creating files
# near them for a minute.
"$build/fs_costs" "$work"
echo
echo "== End to end (median wall; CPU and peak RSS of the build process) =="
set -- --bin "$build" --pages "$pages" --runs "$runs" --work "$work"
[ -n "$docs" ] && set -- "$@" --docs "$docs"
[ -n "$scale" ] && set -- "$@" --scale "$scale"
"$build/site_bench" "$@"

echo
echo "== One thread against every core (in process) =="
"$build/jobs_bench" "$work/jobs" --jobs "$(nproc)"

[ -n "$sites_only" ] && exit 0

echo
echo "== Engine stages in memory =="
"$build/engine_bench" --benchmark_min_time=0.5
echo
echo "== Reader with file reads, heap per page size =="
"$build/html_bench" --benchmark_min_time=0.5
echo
echo "== Template engine and rendering, 100,000 events =="
(cd "$build" && ./template_bench)
