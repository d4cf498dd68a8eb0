#!/usr/bin/env bash
# Quendra without /hideUI under Wine on a virtual display: an incomplete command line must show
# the usage as a message box titled "Quendra", end with exit code 13 once the box is closed, and
# log nothing.
#
# Usage: box_mode_test.sh <Quendra.exe> <artifact dir>
#   WINEPREFIX names a prefix for this test alone, made on first use. Wine's desktop draws on the
#   display of the process that started the prefix's server, and a test without a display would
#   leave it unable to show any box; so the prefix's server is stopped before and after each run.
#   QUENDRA_WINE names the Wine loader (default /usr/lib/wine/wine64), whose directory holds
#   wineserver. The screenshot of the box is <artifact dir>/usage-box.png.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 <Quendra.exe> <artifact dir>" >&2
    exit 2
fi
exe=$1
artifacts=$2
wine=${QUENDRA_WINE:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine")/wineserver
timeout_seconds=60
expected_exit=13

work=""
xvfb_pid=""
tool_pid=""
prefix_in_use=""

say() { echo "box-mode: $*"; }

fail() {
    say "FAIL: $*"
    exit 1
}

stop_wineserver() {
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
}

# shellcheck disable=SC2317 # run by the trap
cleanup() {
    if [ -n "$tool_pid" ] && kill -0 "$tool_pid" 2>/dev/null; then
        kill "$tool_pid" 2>/dev/null || true
        wait "$tool_pid" 2>/dev/null || true
    fi
    if [ -n "$prefix_in_use" ]; then
        stop_wineserver
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [ -n "$work" ]; then
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

[ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX is not set"
export WINEPREFIX
for program in Xvfb xdotool import "$wine" "$wineserver"; do
    command -v "$program" >/dev/null || fail "'$program' is not installed"
done
[ -f "$exe" ] || fail "no executable at '$exe'"
mkdir -p "$artifacts"

work=$(mktemp -d)
# A private copy, so that the log it writes beside itself is this run's alone.
cp "$exe" "$work/Quendra.exe"

# Xvfb picks a free display itself and reports its number, so parallel runs never collide.
: >"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb ended at start-up: $(cat "$work/xvfb.log")"
    sleep 0.1
done
display_number=$(tr -d '[:space:]' <"$work/display")
[ -n "$display_number" ] || fail "Xvfb reported no display within 10 s"
export DISPLAY=":$display_number"
say "Xvfb runs on display $DISPLAY"

prefix_in_use=yes
stop_wineserver
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "creating the Wine prefix $WINEPREFIX"
    "$wine" wineboot --init >"$work/wineboot.log" 2>&1 ||
        fail "wineboot failed: $(cat "$work/wineboot.log")"
fi

say "starting: $wine Quendra.exe (no arguments)"
(cd "$work" && exec "$wine" Quendra.exe >"$work/stdout" 2>"$work/stderr") &
tool_pid=$!

# The owner window carries the same title but has no size; the box is the one that is seen.
box=""
deadline=$((SECONDS + timeout_seconds))
while [ -z "$box" ]; do
    if ! kill -0 "$tool_pid" 2>/dev/null; then
        wait "$tool_pid" && code=0 || code=$?
        tool_pid=""
        fail "Quendra.exe ended with exit code $code before a box appeared" \
             "(stdout: '$(cat "$work/stdout")', stderr: '$(cat "$work/stderr")')"
    fi
    [ $SECONDS -lt $deadline ] || fail "no visible window titled 'Quendra' within $timeout_seconds s"
    for window in $(xdotool search --onlyvisible --name '^Quendra$' 2>/dev/null || true); do
        geometry=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null) || continue
        width=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
        height=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
        if [ "${width:-0}" -gt 1 ] && [ "${height:-0}" -gt 1 ]; then
            box=$window
            say "box found: window $box, ${width}x${height}"
            break
        fi
    done
    [ -n "$box" ] || sleep 0.5
done

# Wine draws the box's contents after mapping it.
sleep 1
import -window root "$artifacts/usage-box.png"
say "screenshot: $artifacts/usage-box.png"

say "pressing Return in the box"
# Wine hands keys to the foreground window of its desktop: the box, as nothing else runs there.
xdotool key --window "$box" Return 2>"$work/xdotool.log" ||
    fail "xdotool could not press Return: $(cat "$work/xdotool.log")"

code=""
deadline=$((SECONDS + timeout_seconds))
while kill -0 "$tool_pid" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "Quendra.exe still runs $timeout_seconds s after Return"
    sleep 0.2
done
wait "$tool_pid" && code=0 || code=$?
tool_pid=""
say "Quendra.exe ended with exit code $code"

status=0
if [ "$code" -ne "$expected_exit" ]; then
    say "FAIL: exit code $code, expected $expected_exit"
    status=1
fi
if [ -s "$work/stdout" ]; then
    say "FAIL: the box mode wrote to stdout: '$(cat "$work/stdout")'"
    status=1
fi
if [ -s "$work/Quendra.out" ]; then
    say "FAIL: the usage wrote a log:"
    sed 's/^/    /' "$work/Quendra.out"
    status=1
fi
[ $status -eq 0 ] && say "PASS: usage box shown, closed with Return, exit code $code, no log"
exit $status
