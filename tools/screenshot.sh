#!/bin/bash
# Drives vorn1 under Xvfb as a person would: start it (in another folder than
# the example's, whose project names its pages relative to itself), take a
# screenshot of the new single-file project, open the example project (Ctrl+O
# and the file dialog), take a screenshot of the multiple-file layout, build it
# with Ctrl+B,
# take a screenshot with the build finished, open the result with Ctrl+R, take
# a screenshot of the format options and leave through File > Exit.
# xdg-open (and $BROWSER) is replaced by a stub that records what it was asked
# to open.
#
#   tools/screenshot.sh [build-dir] [output-dir]
#
# build-dir holds vorn1: a build tree, or bin/ of an installation whose
# templates are in ../share/orvane/.
# Exits 0 when every step worked, 1 on a failure, 77 when Xvfb or xdotool is
# missing (the test is then skipped).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
out=$(mkdir -p "${2:-$here/screenshots}" && cd "${2:-$here/screenshots}" && pwd)

for tool in xvfb-run xdotool import; do
    command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

if [ "${ORVANE_INSIDE_XVFB:-}" != 1 ]; then
    export ORVANE_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$build" "$out"
fi

work=$(mktemp -d)
# Only the window started here is stopped: "kill 0" would end the whole process
# group, the test runner with it.
trap 'for p in ${pid:-} ${wm:-}; do kill "$p" 2> /dev/null || true; done; rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
# No desktop session either: Qt would talk to any session bus it can reach
# (and libdbus's reader leaks at exit, which the leak checker reports).
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/run/no-bus"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/bin"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
cat > "$work/bin/xdg-open" << STUB
#!/bin/sh
echo "\$*" >> "$work/opened.txt"
STUB
chmod +x "$work/bin/xdg-open"
# Results open in a browser: xdg-open when the desktop has one for HTML
# pages, else $BROWSER. Either way the stub.
export PATH="$work/bin:$PATH" BROWSER="$work/bin/xdg-open"
cp -r "$here/examples" "$work/examples"
templates="$build/vtdata"
[ -d "$templates" ] || templates="$build/../share/orvane/vtdata"
cp -r "$templates" "$work/vtdata"

fail() {
    echo "FAILED: $*" >&2
    [ -s "$work/vorn1.err" ] && sed 's/^/vorn1: /' "$work/vorn1.err" >&2
    exit 1
}
# The id of the first visible window whose title matches; fails after 20 s.
window_id() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.2
    done
    fail "no window titled '$1'"
}
# Keys typed into the focused window (through XTEST, as a keyboard would).
keys_to() {
    xdotool windowfocus --sync "$1"
    sleep 0.3
    shift
    xdotool key "$@"
}
shot() {
    sleep 0.7
    import -window "$(window_id 'Orvane 1.0b -')" "$out/$1.png"
    echo "saved $out/$1.png"
}

# A window manager, where one is installed, for screenshots with frames; it
# must manage the screen before the window is mapped.
if command -v openbox > /dev/null && command -v xprop > /dev/null; then
    openbox > /dev/null 2>&1 &
    wm=$!
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && break
        sleep 0.1
    done
fi

# xvfb-run returns once the server says it is ready, but on a loaded machine
# a first client can still be turned away: wait until the display answers.
display_answers() {
    for _ in $(seq 100); do
        xdotool getdisplaygeometry > /dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "display $DISPLAY does not answer"
}
display_answers

cd "$work"
# A window that could not reach the display ends at once with "no display";
# that is the X server's hiccup, not the program's: it is started again (at
# most twice), and what it wrote is shown.
for attempt in 1 2 3; do
    "$build/vorn1" 2> "$work/vorn1.err" &
    pid=$!
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name 'Orvane 1.0b - New project' > /dev/null 2>&1 && break
        kill -0 "$pid" 2> /dev/null || break
        sleep 0.2
    done
    kill -0 "$pid" 2> /dev/null && break
    wait "$pid" || true
    echo "vorn1 ended at start (attempt $attempt): $(cat "$work/vorn1.err")" >&2
    grep -q "no display" "$work/vorn1.err" || fail "vorn1 did not start"
    display_answers
done
kill -0 "$pid" 2> /dev/null || fail "vorn1 could not open the display"
main=$(window_id 'Orvane 1.0b - New project')
xdotool windowfocus --sync "$main"
shot window-single
# Docks match the window to its menu entries (StartupWMClass=vorn1) by its class.
if command -v xprop > /dev/null; then
    xprop -id "$main" WM_CLASS | grep -q '"vorn1", "vorn1"' || fail "window class: $(xprop -id "$main" WM_CLASS)"
fi

keys_to "$main" ctrl+o
dialog=$(window_id 'Open project settings file')
xdotool windowfocus --sync "$dialog"
sleep 0.5
xdotool type --delay 20 "$work/examples/project.txt"
xdotool key Return
window_id 'Orvane 1.0b - project.txt' > /dev/null
shot window-multiple

keys_to "$main" ctrl+b
index="$work/examples/index.html"
for _ in $(seq 50); do grep -q VELT_HTML_TOC_END "$index" && break; sleep 0.2; done
grep -q VELT_HTML_TOC_END "$index" || fail "Ctrl+B built no TOC into index.html"
shot window-built

keys_to "$main" ctrl+r
for _ in $(seq 25); do [ -s "$work/opened.txt" ] && break; sleep 0.2; done
grep -qx "$work/examples/index.html" "$work/opened.txt" || fail "Ctrl+R did not open index.html"

keys_to "$main" ctrl+Tab
shot window-format-options

keys_to "$main" alt+f
sleep 0.5
xdotool key e
for _ in $(seq 25); do kill -0 "$pid" 2> /dev/null || break; sleep 0.2; done
kill -0 "$pid" 2> /dev/null && fail "the window did not close with File > Exit"
wait "$pid" || fail "vorn1 ended with an error"
[ -f "$XDG_CONFIG_HOME/VELT/ORV1/vorn_set.txt" ] || fail "no settings written at exit"
grep -q "<recent>$work/examples/project.txt</recent>" "$XDG_CONFIG_HOME/VELT/ORV1/vorn_set.txt" ||
    fail "the project is not in the recent list"
echo "window end to end: passed"
