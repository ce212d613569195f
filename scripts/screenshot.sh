#!/usr/bin/env bash
# Builds the front end and saves pictures of its main window, as a user sees it: docs/screenshot.png at
# 100 % and docs/screenshot-200.png at 200 % (what a desktop set to 200 % gives: QT_SCALE_FACTOR=2).
#   screenshot.sh [OUT.png [SCALE]]   one picture instead, at that path and scale (1, 1.25, 1.5, 2...)
# Runs each on its own private X server (Xvfb); installs what it needs on Debian.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}" imagemagick
configure_and_build "$BUILD_DIR"

work=$(mktemp -d)
trap 'kill ${app_pid:-} ${x_pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT

# shoot OUT SCALE: the main window alone, at that scale, on a screen that holds it whole.
shoot() {
    local out scale width height n
    out=$(realpath -m "$1")
    scale=$2
    width=$(awk -v s="$scale" 'BEGIN { printf "%d", 640 * s + 0.5 }')
    height=$(awk -v s="$scale" 'BEGIN { printf "%d", 560 * s + 0.5 }')
    for n in $(seq 140 180); do [ -e "/tmp/.X$n-lock" ] || break; done
    Xvfb ":$n" -screen 0 "${width}x${height}x24" -nolisten tcp -dpi 96 >/dev/null 2>&1 &
    x_pid=$!
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
    rm -rf "$work/config" "$work/runtime"
    mkdir -p "$work/config"
    mkdir -m 700 "$work/runtime"
    DISPLAY=":$n" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
        QT_SCALE_FACTOR="$scale" "$BUILD_DIR/vantrel-frontend" &
    app_pid=$!
    DISPLAY=":$n" "$BUILD_DIR/tests/xwindow" mapped "Vantrel Frontend" 30 >/dev/null
    sleep 1 # let the first paint reach the screen
    mkdir -p "$(dirname "$out")"
    DISPLAY=":$n" import -window root -trim "$out"
    kill "$app_pid" "$x_pid" 2>/dev/null || true
    wait "$app_pid" "$x_pid" 2>/dev/null || true
    app_pid='' x_pid=''
    echo "saved $out"
}

if [ $# -gt 0 ]; then
    shoot "$1" "${2:-1}"
else
    shoot "$ROOT/docs/screenshot.png" 1
    shoot "$ROOT/docs/screenshot-200.png" 2
fi
