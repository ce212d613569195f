#!/usr/bin/env bash
# Sourced: start_xvfb [WIDTHxHEIGHT] starts a private X server on the first free display from :90 on, at 96
# dots per inch, exports DISPLAY and sets XVFB_PID; stop_xvfb ends it.

start_xvfb() {
    local size=${1:-1024x768}
    local n
    for n in $(seq 90 180); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            break
        fi
    done
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -dpi 96 >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 200); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.05
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
