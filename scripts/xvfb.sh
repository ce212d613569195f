#!/usr/bin/env bash
# Sourced: start_xvfb [WIDTHxHEIGHT] starts a private X server at 96 dots per inch on a display that the server
# finds free itself, so that scripts running side by side never pick the same one; it exports DISPLAY and sets
# XVFB_PID. stop_xvfb ends it.

start_xvfb() {
    local size=${1:-1024x768}
    XVFB_READY=$(mktemp)
    # The server writes its display number to descriptor 3 once it takes clients.
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -dpi 96 3>"$XVFB_READY" >/dev/null 2>&1 &
    XVFB_PID=$!
    local _
    for _ in $(seq 200); do
        if grep -qx '[0-9][0-9]*' "$XVFB_READY"; then
            export DISPLAY=":$(cat "$XVFB_READY")"
            rm -f "$XVFB_READY"
            return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    echo "Xvfb did not start" >&2
    return 1
}

stop_xvfb() {
    rm -f "${XVFB_READY:-}"
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
