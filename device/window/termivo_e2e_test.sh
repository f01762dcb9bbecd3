#!/usr/bin/env bash
# termivo as a user meets it: the built program on a virtual X display, driven by real key
# events. Connect by the keyboard, type on a loopback plug, Exit; the screen's text at exit
# must show what was typed, and the exit status must be 0.
# Usage: termivo_e2e_test.sh TERMIVO PORT_MAP      (exit 77: Xvfb or xdotool missing)
set -euo pipefail
termivo=$1
map=$2
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing"; exit 77; }

work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export SERIALKIT_PORT_MAP=$map

"$termivo" --snapshot "$work/snap" 2>"$work/stderr" &
app=$!
wid=$(timeout 60 xdotool search --sync --onlyvisible --name "WinCE ZEB TTY" | head -n 1)
for _ in $(seq 20); do xdotool windowfocus --sync "$wid" 2>/dev/null && break; sleep 0.5; done
sleep 1
xdotool key --delay 700 alt+f c          # File > Connect
sleep 1
xdotool type --delay 80 "hello, plug"
sleep 1
xdotool key --delay 700 alt+f x          # File > Exit
status=0
wait "$app" || status=$?
app=""

first=$(head -n 1 "$work/snap.txt" 2>/dev/null || true)
if [ "$status" -ne 0 ] || [ "$first" != "hello, plug" ] || [ ! -s "$work/snap.png" ]; then
    echo "exit status $status (want 0); first screen row '$first' (want 'hello, plug')"
    echo "--- termivo's standard error:"; cat "$work/stderr"
    exit 1
fi
echo "termivo connected, echoed 'hello, plug' and exited with 0"
