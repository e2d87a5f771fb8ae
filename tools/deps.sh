#!/usr/bin/env bash
# Installs the Debian packages that a task needs, when any is missing. Quick
# and silent when everything is present.
#
#   tools/deps.sh [example|package|package-check|all]     (default: all)
#
#   example        the compiler and build tools (and GoogleTest, which the
#                  configuration looks for): the batch program and its data
#   package        building the Debian package (the window's Qt included)
#   package-check  checking the built package (lintian, validators, the
#                  installed window under Xvfb)
#   all            everything the test suites, sanitizers and fuzzing use
set -euo pipefail

example=(g++ cmake ninja-build ccache libgtest-dev libgmock-dev)
# The window opens pages and help with xdg-open (xdg-utils).
window=(qt6-base-dev qt6-base-dev-tools libgl-dev xdg-utils)
package=("${example[@]}" "${window[@]}" debhelper dpkg-dev fakeroot)
package_check=(lintian appstream desktop-file-utils xdg-utils xvfb xauth xdotool imagemagick)
# strace records the file-system calls of builds for the durability test.
all=("${example[@]}" "${window[@]}" pkg-config libbenchmark-dev strace
  clang clang-format libclang-rt-dev libclang-rt-14-dev acl attr
  xvfb xauth xdotool imagemagick desktop-file-utils groff-base)

case "${1:-all}" in
  example) packages=("${example[@]}") ;;
  package) packages=("${package[@]}") ;;
  package-check) packages=("${package_check[@]}") ;;
  all) packages=("${all[@]}") ;;
  *) echo "usage: $0 [example|package|package-check|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
