#!/usr/bin/env bash
# Builds the Debian package orvane_1.0~b-1_<arch>.deb with dpkg-buildpackage
# from a copy of the source tree, so that the tree stays clean and the
# package lands in the output folder rather than beside the tree.
#
#   tools/package-deb.sh [output-dir]     (default: build-deb/)
#
# Installs what is missing (debhelper and the build dependencies) with apt.
# Prints the path of the package on its last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build-deb}" && cd "${1:-$root/build-deb}" && pwd)

"$root/tools/deps.sh" package

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
src="$out/orvane-${version%-*}"
rm -rf "$src"
mkdir -p "$src"
# The files git knows of, committed or not; without git, the tree less builds.
if git -C "$root" rev-parse --is-inside-work-tree > /dev/null 2>&1; then
    git -C "$root" ls-files -z --cached --others --exclude-standard |
        tar -C "$root" --null --files-from=- --ignore-failed-read -cf - | tar -C "$src" -xf -
else
    tar -C "$root" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$src" -xf -
fi

# debhelper gives the build a home of its own: point ccache at the real one.
if command -v ccache > /dev/null; then
    export ORVANE_LAUNCHER=ccache
    CCACHE_DIR=$(ccache -k cache_dir)
    CCACHE_BASEDIR=$(ccache -k base_dir)
    export CCACHE_DIR CCACHE_BASEDIR
fi
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-parallel=$(nproc)}"
(cd "$src" && dpkg-buildpackage --build=binary --no-sign)

arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb="$out/orvane_${version}_${arch}.deb"
[ -f "$deb" ] || { echo "no package was made: $deb" >&2; exit 1; }
rm -rf "$src"
echo "$deb"
