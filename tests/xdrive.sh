# Drives the front end on an X server as a user does, with xdotool (sourced by tests/smoke.sh and
# scripts/screenshot.sh). The positions are the main window's controls in twips at 96 dots per inch, 15 twips
# to the pixel: start Xvfb with -dpi 96.

# press_build INPUT OUTPUT: types the two paths into the main window's fields and presses BUILD.
press_build() {
    local window
    window=$(xdotool search --sync --onlyvisible --name '^Vantrel Frontend$' | head -n 1)
    # Input file (Text1) at 360,4080 twips, output file (Text2) at 360,4680, BUILD (Command2) at 2880,5880.
    xdotool mousemove --window "$window" 74 281 click 1 type --delay 10 "$1"
    xdotool mousemove --window "$window" 74 321 click 1 type --delay 10 "$2"
    xdotool mousemove --window "$window" 240 408 click 1
}

# type_into TITLE KEYS: types into the window with that exact title, with the pointer over it.
type_into() {
    local window
    window=$(xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
    xdotool mousemove --window "$window" 100 100 type --delay 10 "$2"
}
