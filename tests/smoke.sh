#!/usr/bin/env bash
# Starts the real front end on a private X server, waits for its window, closes it as a window manager
# does (WM_DELETE_WINDOW) and checks that the fifteen options were written.
#   smoke.sh FRONTEND XWINDOW
set -euo pipefail
frontend=$1 xwindow=$2
work=$(mktemp -d)
cleanup() {
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "${x_pid:-}" ] && kill "$x_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

display=
for n in $(seq 90 130); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free X display"; exit 1; }
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
x_pid=$!
export DISPLAY=":$display"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done

export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$frontend" &
app_pid=$!
"$xwindow" close "Vantrel Frontend" 30
# The front end ends by itself once its window is closed.
for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$app_pid" 2>/dev/null; then echo "the front end did not end after its window was closed"; exit 1; fi
wait "$app_pid"
app_pid=

ini="$work/config/QMR/QMR.ini"
[ -f "$ini" ] || { echo "no options were written to $ini"; exit 1; }
keys=$(grep -cE '^(N[123]|B[123]|Option[1-9])=' "$ini")
[ "$keys" = 15 ] || { echo "expected 15 keys, found $keys:"; cat "$ini"; exit 1; }
grep -qx 'N1=True' "$ini" && grep -qx 'B2=True' "$ini" && grep -qx 'Option9=0' "$ini"
echo "smoke test passed: window shown, closed by the window manager's request, 15 options written"
