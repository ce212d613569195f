#!/usr/bin/env bash
# Starts the real front end as on a desktop with a screen reader running (a private X server, a session bus,
# the accessibility bus enabled) and lists what assistive technology is offered through that bus; fails on
# any focusable object or field without a name, and unless a BUILD with the stand-in NodeBuilder is heard
# line by line from its console.
#   atspi.sh FRONTEND STANDIN
set -euo pipefail
frontend=$1 standin=$2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../scripts/session.sh"
trap end_session EXIT
start_session
mkdir "$SESSION_DIR/bin"
cp "$standin" "$SESSION_DIR/bin/vantrel.exe"
export PATH="$SESSION_DIR/bin:$PATH" VANTREL_STANDIN_PROGRESS=1
# Inside the session: start the accessibility bus and say that a screen reader is listening, as a desktop
# does when one runs; then the front end, then the listing. The session's bus ends with it.
dbus-run-session -- bash -c '
    set -euo pipefail
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
        string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null
    "$1" >/dev/null </dev/null &
    app_pid=$!
    status=0
    /usr/bin/python3 "$2" "$3" || status=$?
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    exit "$status"
' _ "$frontend" "$here/tools/atspi_listing.py" "$SESSION_DIR/bin/vantrel.exe" 2> >(grep -v "Failed to set fd limit" >&2)
