#!/usr/bin/env bash
# Installs what is missing, builds the program and its data (not the test
# suites), and runs a batch build of the bundled example site on a fresh
# copy of it in build/example/. The window is built too when Qt is there;
# tools/run-tests.sh installs Qt and builds everything else.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh example
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja "${launcher[@]}" >/dev/null
cmake --build build --target vorn1 orvane_data
rm -rf build/example
cp -r examples build/example
cd build/example
../vorn1 -command project.txt
status=$?
echo
echo "Result: build/example/ (the TOC is in index.html; every page got its anchors)"
exit $status
