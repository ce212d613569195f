# Sourced: drives the front end's main window on an X server as a user does, with xdotool, whether the Linux
# build or the Windows build under wine. Where its controls are comes from the controls table itself, through
# control_centres of the Linux build, which builds the window as the program does and prints the middle of each
# control in pixels of the window's client area at 96 dots per inch; so the X server must run at -dpi 96
# (scripts/xvfb.sh does), and load_controls must come before the first click.
declare -A FORM1_AT=()

# load_controls CONTROL_CENTRES: learns where each control of the main window stands from that program.
load_controls() {
    local listing name x y
    listing=$("$1") || {
        echo "xdrive: $1 could not tell where the controls are" >&2
        return 1
    }
    while read -r name x y; do
        [ -z "$name" ] || FORM1_AT[$name]="$x $y"
    done <<<"$listing"
}

# window_titled TITLE: the id of the visible window with exactly that title, once there is one.
window_titled() {
    xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}

# click_control NAME: clicks the main window's control of that design name.
click_control() {
    local window
    [ -n "${FORM1_AT[$1]:-}" ] || {
        echo "xdrive: where $1 stands is not known (load_controls)" >&2
        return 1
    }
    window=$(window_titled 'Vantrel Frontend')
    # shellcheck disable=SC2086 # the position is two words
    xdotool mousemove --window "$window" ${FORM1_AT[$1]} click 1
}

# fill_field NAME TEXT: replaces what the main window's field of that name holds with TEXT, as typed.
fill_field() {
    click_control "$1"
    xdotool key --window "$(window_titled 'Vantrel Frontend')" ctrl+a BackSpace
    xdotool type --delay 20 "$2"
}

# press_build INPUT OUTPUT [LEVEL]: fills the fields and presses BUILD.
press_build() {
    fill_field Text1 "$1"
    fill_field Text2 "$2"
    [ $# -lt 3 ] || fill_field Text3 "$3"
    click_control Command2
}

# type_into TITLE KEYS: types into the window with that exact title, with the pointer over it.
type_into() {
    xdotool mousemove --window "$(window_titled "$1")" 100 100 type --delay 10 "$2"
}
