#!/usr/bin/env bash
# Starts the real front end on a private X server as the desktop menu does (no terminal: its output goes to
# a file), presses BUILD with the stand-in NodeBuilder on PATH, checks that NodeBuilder's console appears,
# runs it on a terminal of its own and takes a key, then closes the main window as a window manager does
# (WM_DELETE_WINDOW) and checks that the fifteen options were written.
#   smoke.sh FRONTEND XWINDOW STANDIN CONTROL_CENTRES
set -euo pipefail
frontend=$1 xwindow=$2 standin=$3 control_centres=$4
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/session.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/xdrive.sh"
load_controls "$control_centres"
trap end_session EXIT
start_session
work=$SESSION_DIR
mkdir "$work/bin"
cp "$standin" "$work/bin/vantrel.exe"
export PATH="$work/bin:$PATH" VANTREL_STANDIN_LOG="$work/runs.log" VANTREL_STANDIN_PROGRESS=1 VANTREL_STANDIN_WAIT_KEY=1
"$frontend" >"$work/frontend.log" 2>&1 </dev/null &
APP_PID=$!

"$xwindow" mapped "Vantrel Frontend" 30 >/dev/null
press_build /maps/e1.wad /maps/e1_vtl.wad
console="$work/bin/vantrel.exe"
"$xwindow" mapped "$console" 30 >/dev/null || { echo "no console window titled $console appeared"; exit 1; }
type_into "$console" q
"$xwindow" mapped "Finished - $console" 30 >/dev/null || { echo "the console did not show the end of the run"; exit 1; }
for expected in tty=111 size=80x25 leader=1 key=71; do
    grep -qx "$expected" "$work/runs.log" || { echo "the stand-in did not log $expected:"; cat "$work/runs.log"; exit 1; }
done

"$xwindow" close "Vantrel Frontend" 30
# The front end ends by itself once its window is closed.
for _ in $(seq 200); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$APP_PID" 2>/dev/null; then echo "the front end did not end after its window was closed"; exit 1; fi
wait "$APP_PID"
APP_PID=

ini="$XDG_CONFIG_HOME/QMR/QMR.ini"
[ -f "$ini" ] || { echo "no options were written to $ini"; exit 1; }
keys=$(grep -cE '^(N[123]|B[123]|Option[1-9])=' "$ini")
[ "$keys" = 15 ] || { echo "expected 15 keys, found $keys:"; cat "$ini"; exit 1; }
grep -qx 'N1=True' "$ini" && grep -qx 'B2=True' "$ini" && grep -qx 'Option9=0' "$ini"
echo "smoke test passed: window shown, NodeBuilder run in its console on a terminal of its own, a key typed into"
echo "the console reached it, window closed by the window manager's request, 15 options written"
