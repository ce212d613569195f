#!/usr/bin/env bash
# Builds the front end and saves pictures of it, as a user sees it: its main window in docs/screenshot.png at
# 100 % and docs/screenshot-200.png at 200 % (what a desktop set to 200 % gives: QT_SCALE_FACTOR=2), and,
# after BUILD with the stand-in NodeBuilder of the tests, NodeBuilder's console in docs/console.png.
#   screenshot.sh [OUT.png [SCALE]]   the main window alone instead, at that path and scale (1, 1.25, 1.5, 2...)
# Runs each on its own private X server (Xvfb); installs what it needs on Debian.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}" imagemagick
configure_and_build "$BUILD_DIR"

source "$ROOT/scripts/session.sh"
source "$ROOT/scripts/xdrive.sh"
load_controls "$BUILD_DIR/tests/control_centres"
trap end_session EXIT
SESSION_DIR=$(mktemp -d)
mkdir "$SESSION_DIR/bin"
cp "$BUILD_DIR/tests/fake_nodebuilder" "$SESSION_DIR/bin/vantrel.exe"

# shoot OUT SCALE [CONSOLE_OUT]: the main window alone, at that scale, on a screen that holds it whole; with
# CONSOLE_OUT, then BUILD and NodeBuilder's console after the run.
shoot() {
    local out scale console_out width height console
    out=$(realpath -m "$1")
    scale=$2
    console_out=${3:+$(realpath -m "$3")}
    width=$(awk -v s="$scale" 'BEGIN { printf "%d", 640 * s + 0.5 }')
    height=$(awk -v s="$scale" 'BEGIN { printf "%d", 560 * s + 0.5 }')
    start_session "${width}x${height}"
    QT_SCALE_FACTOR="$scale" PATH="$SESSION_DIR/bin:$PATH" VANTREL_STANDIN_PROGRESS=1 "$BUILD_DIR/vantrel-frontend" \
        >/dev/null 2>&1 &
    APP_PID=$!
    "$BUILD_DIR/tests/xwindow" mapped "Vantrel Frontend" 30 >/dev/null
    sleep 1 # let the first paint reach the screen
    mkdir -p "$(dirname "$out")"
    import -window root -trim "$out"
    echo "saved $out"
    if [ -n "$console_out" ]; then
        press_build /maps/e1.wad /maps/e1_vtl.wad
        console="Finished - $SESSION_DIR/bin/vantrel.exe"
        "$BUILD_DIR/tests/xwindow" mapped "$console" 30 >/dev/null
        sleep 1 # let the last paint reach the screen
        import -window "$(xdotool search --name "^$console\$" | head -n 1)" "$console_out"
        echo "saved $console_out"
    fi
    stop_session
}

if [ $# -gt 0 ]; then
    shoot "$1" "${2:-1}"
else
    shoot "$ROOT/docs/screenshot.png" 1 "$ROOT/docs/console.png"
    shoot "$ROOT/docs/screenshot-200.png" 2
fi
