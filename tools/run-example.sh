#!/usr/bin/env bash
# Installs what is missing (the compiler and build tools only), builds the
# program and its data (not the test suites), and runs a batch build of the
# bundled example site on a fresh copy of it in build/example/. The window is
# built too when Qt is there; without Qt this says so and goes on with a
# batch-only vorn1. tools/run-tests.sh installs Qt and builds everything else.
set -euo pipefail
cd "$(dirname "$0")/.."
# Files only their owner may write: run as root, vorn1 takes no project file
# that others may write.
umask 022
tools/deps.sh example
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DORVANE_GUI=AUTO "${launcher[@]}" >/dev/null
cmake --build build --target vorn1 orvane_data
if ! grep -qx 'ORVANE_GUI_BUILT:INTERNAL=ON' build/CMakeCache.txt; then
  echo "The window was left out: Qt 6 is not installed (tools/deps.sh or tools/run-tests.sh installs it; then run this again)."
fi
rm -rf build/example
cp -r examples build/example
cd build/example
status=0
../vorn1 -command project.txt || status=$?
echo
echo "Result: build/example/ (the TOC is in index.html; every page got its anchors)"
exit $status
