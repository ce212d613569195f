# Sourced: drives the front end's main window on an X server as a user does, with xdotool, whether the Linux
# build or the Windows build under wine. The one place that knows where the main window's controls are: the
# middle of each, in pixels of the window's client area at 96 dots per inch (its twips over 15), so the X
# server must run at -dpi 96 (scripts/xvfb.sh does).
declare -A FORM1_AT=(
    [Text3]="192 217"    # level, at 360,3120 twips
    [Text1]="192 281"    # input file, at 360,4080
    [Text2]="192 321"    # output file, at 360,4680
    [Command2]="240 408" # BUILD, at 2880,5880
)

# window_titled TITLE: the id of the visible window with exactly that title, once there is one.
window_titled() {
    xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}

# click_control NAME: clicks the main window's control of that design name.
click_control() {
    local window
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
