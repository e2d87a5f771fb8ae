#!/usr/bin/env bash
# Builds the Debian package and checks it as a user of apt would meet it:
#   1. lintian reports no error (warnings are listed in packaging/README.md);
#   2. `apt install ./orvane_….deb` installs it;
#   3. the installed program: --version, --help, the example site built
#      with the installed templates, the manual page's single-page example;
#      the window under Xvfb (tools/screenshot.sh, skipped without Xvfb);
#      nothing was written under /usr (dpkg --verify);
#   4. the copyright file holds the licence text; desktop-file-validate and
#      appstreamcli accept the installed files;
#   5. `dpkg --purge` leaves no file behind.
# Needs root (CI runs as root); installs its own tools with apt. The package
# is removed again at the end, also when a check fails.
#
#   tools/test-package.sh [output-dir]     (default: build-deb/)
set -euo pipefail
# The project files made below are root's alone (a root run refuses others).
umask 022
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build-deb}" && cd "${1:-$root/build-deb}" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "test-package.sh installs a package: run it as root" >&2; exit 1; }

"$root/tools/deps.sh" package-check
fail() { echo "FAILED: $*" >&2; exit 1; }
step() { echo "== package: $*"; }

step "build"
"$root/tools/package-deb.sh" "$out" > "$out/package-build.log" 2>&1 ||
    { tail -60 "$out/package-build.log"; fail "the package did not build"; }
deb=$(tail -1 "$out/package-build.log")
echo "$deb"

step "lintian"
lintian --fail-on error --display-info "$deb" || fail "lintian reports errors"

if dpkg-query -W -f='${Status}' orvane 2> /dev/null | grep -q installed; then
    echo "orvane was installed before the test: purging it first"
    dpkg --purge orvane > /dev/null
fi
work=$(mktemp -d)
trap 'dpkg --purge orvane > /dev/null 2>&1 || true; rm -rf "$work"' EXIT
# Files that triggers of other packages rebuild; they are theirs, not ours.
snapshot() {
    find /usr /etc /opt -xdev -not -type d 2> /dev/null |
        grep -Ev '/(mimeinfo\.cache|icon-theme\.cache|ld\.so\.cache)$' | sort
}
snapshot > "$work/before.txt"

step "install"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt could not install $deb"; }
dpkg -L orvane > "$work/files.txt"
[ "$(command -v vorn1)" = /usr/bin/vorn1 ] || fail "vorn1 is not /usr/bin/vorn1"

step "the installed program"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
[ "$(vorn1 --version)" = "Orvane 1.0b" ] || fail "vorn1 --version"
vorn1 --help | grep -q 'vorn1 -command project.txt' || fail "vorn1 --help"
# The example names its template as ../vtdata/nested_list.html: lay the
# installed templates out beside its copy.
cp -r "$root/examples" "$work/site"
cp -r /usr/share/orvane/vtdata "$work/vtdata"
report=$(cd "$work/site" && vorn1 -command project.txt | od -An -c | tr -s ' ')
[ "$report" = "$(printf 'Orvane 1.0b\r\nBuild is complete.\r\n' | od -An -c | tr -s ' ')" ] ||
    fail "the example did not build: $report"
grep -q '<!--VELT_HTML_TOC_END-->' "$work/site/index.html" || fail "no TOC in index.html"
# The manual page's example names an installed template directly.
mkdir "$work/single"
printf '<html><body>\n<h2>One</h2>\n<h3>Two</h3>\n</body></html>\n' > "$work/single/manual.html"
cat > "$work/single/toc.txt" << 'END'
<is_single>1</is_single>
<source>manual.html</source>
<range_from>2</range_from>
<range_to>3</range_to>
<template_file>/usr/share/orvane/vtdata/numbered_outline.html</template_file>
END
(cd "$work/single" && vorn1 -command toc.txt > /dev/null) || fail "the single-page example"
grep -q '<!--VELT_HTML_TOC_END-->' "$work/single/manual.html" || fail "no TOC in manual.html"
man -w vorn1 | grep -qx /usr/share/man/man1/vorn1.1.gz || fail "man vorn1 finds no page"
"$root/tools/screenshot.sh" /usr/bin "$out/screenshots" || [ $? -eq 77 ] ||
    fail "the installed window"
[ -z "$(dpkg --verify orvane)" ] || { dpkg --verify orvane; fail "files under /usr changed"; }

step "copyright, desktop entries and AppStream data"
# The copyright file carries the licence of license.txt (after its title and
# copyright lines) as indented lines.
diff <(grep '^ ' /usr/share/doc/orvane/copyright | sed 's/^ //; s/^\.$//') \
    <(tail -n +5 /usr/share/orvane/license.txt | tr -d '\r') || fail "copyright and license.txt differ"
desktop-file-validate /usr/share/applications/org.orvane.Orvane.desktop \
    /usr/share/applications/org.orvane.Orvane.CreateToc.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/org.orvane.Orvane.metainfo.xml ||
    fail "appstreamcli validate"

step "removal"
dpkg --purge orvane > /dev/null
while read -r path; do
    [ -d "$path" ] || [ ! -e "$path" ] || fail "$path is left after removal"
done < "$work/files.txt"
[ ! -d /usr/share/orvane ] || fail "/usr/share/orvane is left after removal"
# Anything new that no package owns was made by ours (other packages may be
# installed meanwhile on a shared machine).
snapshot | comm -13 "$work/before.txt" - | while read -r path; do
    dpkg -S "$path" > /dev/null 2>&1 || fail "$path is left after removal"
done
echo "Package checks passed: $deb"
