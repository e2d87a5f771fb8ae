#!/usr/bin/env bash
# Installs what is missing, builds everything (the window included: the
# configure stops when Qt is missing), and runs the whole test suite.
# Usage: tools/run-tests.sh [build-dir] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
# The suites run as root in CI, where vorn1 refuses project files that others
# may write: the files they make are their owner's alone, whatever the caller's
# umask.
umask 022
tools/deps.sh
build=${1:-build}
shift || true
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DORVANE_GUI=ON "${launcher[@]}" "$@" >/dev/null
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
