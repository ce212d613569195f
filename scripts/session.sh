# Sourced by every script that starts the front end on Linux: a private desktop session of its own, so that no
# run touches the user's options, runtime folder or display.
#   start_session [WIDTHxHEIGHT]  a work folder (SESSION_DIR, kept until end_session), fresh options and runtime
#                                 folders in it, and a private X server; exports what the front end reads of them
#   stop_session                  ends the program started as APP_PID, if any, and the X server
#   end_session                   stop_session, then removes the work folder: `trap end_session EXIT`
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

start_session() {
    SESSION_DIR=${SESSION_DIR:-$(mktemp -d)}
    rm -rf "$SESSION_DIR/config" "$SESSION_DIR/runtime"
    mkdir -p "$SESSION_DIR/config"
    mkdir -m 700 "$SESSION_DIR/runtime"
    export XDG_CONFIG_HOME="$SESSION_DIR/config" XDG_RUNTIME_DIR="$SESSION_DIR/runtime" QT_QPA_PLATFORM=xcb
    start_xvfb "$@"
}

stop_session() {
    if [ -n "${APP_PID:-}" ]; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
        APP_PID=
    fi
    stop_xvfb
}

end_session() {
    stop_session
    if [ -n "${SESSION_DIR:-}" ]; then
        rm -rf "$SESSION_DIR"
        SESSION_DIR=
    fi
}
