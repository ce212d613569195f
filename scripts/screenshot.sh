#!/usr/bin/env bash
# Builds the front end and saves a picture of its main window, as a user sees it, to docs/screenshot.png
# (or the path given), then presses BUILD with the stand-in NodeBuilder of the tests and saves NodeBuilder's
# console after the run to docs/console.png (beside the first picture). Runs on a private X server (Xvfb);
# installs what it needs on Debian.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

out=$(realpath -m "${1:-$ROOT/docs/screenshot.png}")
console_out="$(dirname "$out")/console.png"
install_missing_packages "${PACKAGES[@]}" imagemagick
configure_and_build "$BUILD_DIR"

work=$(mktemp -d)
trap 'kill ${app_pid:-} ${x_pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT
for n in $(seq 140 180); do [ -e "/tmp/.X$n-lock" ] || break; done
Xvfb ":$n" -screen 0 640x560x24 -nolisten tcp -dpi 96 >/dev/null 2>&1 &
x_pid=$!
export DISPLAY=":$n" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
mkdir "$work/bin"
cp "$BUILD_DIR/tests/fake_nodebuilder" "$work/bin/vantrel.exe"
export PATH="$work/bin:$PATH" VANTREL_STANDIN_PROGRESS=1
"$BUILD_DIR/vantrel-frontend" >/dev/null 2>&1 &
app_pid=$!
"$BUILD_DIR/tests/xwindow" mapped "Vantrel Frontend" 30 >/dev/null
sleep 1 # let the first paint reach the screen
mkdir -p "$(dirname "$out")"
import -window root -trim "$out"
echo "saved $out"

source "$ROOT/tests/xdrive.sh"
press_build /maps/e1.wad /maps/e1_vtl.wad
console="Finished - $work/bin/vantrel.exe"
"$BUILD_DIR/tests/xwindow" mapped "$console" 30 >/dev/null
sleep 1 # let the last paint reach the screen
import -window "$(xdotool search --name "^$console\$" | head -n 1)" "$console_out"
echo "saved $console_out"
