#!/usr/bin/env bash
# The README's first command on a clean clone of the commit at hand, where Qt
# cannot be found: a private mount namespace hides Qt's CMake package folders
# behind empty ones, and the compiler cache is off. The command must build a
# batch-only vorn1, say that the window was left out, and build the example
# site, whose index.html then holds the TOC. Prints the stage's wall time
# (the packages the command installs are installed first and not counted).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse HEAD)
"$root/tools/deps.sh" example

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/empty"
# Root gets a mount namespace of its own; anyone else one inside a user
# namespace in which they count as root.
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(--map-root-user)

TIMEFORMAT="Without Qt: %R s wall time, %U s user, %S s sys"
time {
  git clone --quiet --shared --no-checkout "$root" "$work/orvane"
  git -C "$work/orvane" checkout --quiet --detach "$commit"
  unshare --mount "${as_root[@]}" -- bash -euc '
    empty=$1; shift
    for dir in /usr/lib/x86_64-linux-gnu/cmake/Qt6* /usr/lib/cmake/Qt6* /usr/share/cmake/Qt6*; do
      [ -d "$dir" ] && mount --bind "$empty" "$dir"
    done
    cd "$1"
    CCACHE_DISABLE=1 tools/run-example.sh' _ "$work/empty" "$work/orvane" </dev/null 2>&1 |
    tee "$work/log" || true
}

fail() { echo "example without Qt: $1" >&2; exit 1; }
grep -q '^Build is complete\.' "$work/log" || fail "the example build did not complete"
grep -q '^The window was left out' "$work/log" || fail "the window was built: Qt was not hidden"
index=$work/orvane/build/example/index.html
grep -q 'VELT_HTML_TOC_START' "$index" && grep -q 'href="[^"]*#' "$index" ||
  fail "build/example/index.html holds no TOC"
echo "example without Qt: built, and index.html holds its TOC"
