# shellcheck shell=bash disable=SC2153,SC2154 # sourced: VERSION, work and the others come from scripts/windows.sh
# Sourced by scripts/windows.sh, in its wine prefix on its X server: the setup program ($SETUP) as a Windows user
# meets it. A silent install into a folder of the user's choice (/D=) with every value of the installed
# programs' entry, the Start menu shortcut with the program's icon, the program opened through it (at 150 %),
# and a quiet uninstall that leaves nothing; then an older version's setup, NodeBuilder put beside the program
# by the user, this version installed over it and uninstalled quietly. The user's options and the user's
# vantrel.exe survive it all, and so does the folder that holds that vantrel.exe.
#   check_setup   uses say, fail, make_setup, set_dpi, windows_path, expect_main_window,
#                 close_main_window and what scripts/windows.sh sets

UNINSTALL_ENTRY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VantrelFrontend'
OLDER_VERSION=0.9.0
SHORTCUT= # the Start menu shortcut's Unix path, once known

# The values of a registry key, one "name|type|data" a line.
registry_values() {
    wine reg query "$1" 2>/dev/null | tr -d '\r' | sed -n 's/^    \(.*\)    \(REG_[A-Z_]*\)    \(.*\)$/\1|\2|\3/p'
}

# A folder the user profile names (LOCALAPPDATA, APPDATA), as a Unix path.
profile_folder() {
    winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null
}

# expect_entry FOLDER VERSION: the installed programs' entry names the installation in FOLDER (Windows path).
expect_entry() {
    local folder=$1 version=$2 values
    values=$(registry_values "$UNINSTALL_ENTRY")
    local expected=("DisplayName|REG_SZ|Vantrel Frontend" "DisplayVersion|REG_SZ|$version"
        "Publisher|REG_SZ|The Vantrel Frontend developers" "DisplayIcon|REG_SZ|$folder\\vantrel-frontend.exe,0"
        "InstallLocation|REG_SZ|$folder" "UninstallString|REG_SZ|\"$folder\\uninstall.exe\""
        "QuietUninstallString|REG_SZ|\"$folder\\uninstall.exe\" /S" "NoModify|REG_DWORD|0x1" "NoRepair|REG_DWORD|0x1")
    for value in "${expected[@]}"; do
        grep -qxF "$value" <<<"$values" || fail "the entry lacks $value; it holds:"$'\n'"$values"
    done
    grep -qx 'EstimatedSize|REG_DWORD|0x[1-9a-f][0-9a-f]*' <<<"$values" || fail "the entry has no EstimatedSize"
}

# expect_program FOLDER: FOLDER (Unix path) holds the staged files and the uninstaller, each file as staged.
expect_program() {
    diff -r -x uninstall.exe -x vantrel.exe "$WIN_BUILD/stage/$NAME" "$1" >"$work/setup-diff.log" ||
        fail "the installed folder differs from the staged one:"$'\n'"$(head -n 20 "$work/setup-diff.log")"
    [ -f "$1/uninstall.exe" ] || fail "no uninstaller in $1"
}

# quiet_uninstall: runs the entry's QuietUninstallString as Windows would, and waits for it: the uninstaller
# hands its work to a copy of itself in the temporary folder and ends at once.
quiet_uninstall() {
    local line program
    line=$(registry_values "$UNINSTALL_ENTRY" | sed -n 's/^QuietUninstallString|REG_SZ|//p')
    program=${line#\"}
    program=${program%%\"*}
    [ "$line" = "\"$program\" /S" ] || fail "QuietUninstallString is $line"
    wine "$program" /S >/dev/null 2>&1 || fail "the quiet uninstall failed"
    wineserver -w
}

# expect_removed OPTIONS: the entry and the shortcut are gone, the options are as OPTIONS.
expect_removed() {
    ! wine reg query "$UNINSTALL_ENTRY" >/dev/null 2>&1 || fail "the entry stayed after the uninstall"
    [ ! -e "$SHORTCUT" ] || fail "the shortcut stayed after the uninstall"
    [ "$(registry_values "$REG_KEY")" = "$1" ] || fail "the uninstall changed the options"
}

check_setup() {
    say "installing and removing the front end with its setup program under wine"
    local options
    options=$(registry_values "$REG_KEY")
    [ -n "$options" ] || fail "no options to keep under $REG_KEY"
    local default
    default="$(profile_folder LOCALAPPDATA)/Programs/Vantrel Frontend"
    SHORTCUT="$(profile_folder APPDATA)/Microsoft/Windows/Start Menu/Programs/Vantrel Frontend.lnk"

    # A fresh install where the user chose, opened through its shortcut, then removed without a trace. (wine
    # quotes an argument with a blank, and the setup takes /D= unquoted only.)
    local chosen="$WINEPREFIX/drive_c/Tools/VantrelFrontend"
    wine "$SETUP" /S "/D=$(windows_path "$chosen")" >/dev/null 2>&1 || fail "the silent install failed"
    [ ! -e "$default" ] || fail "/D= was not followed"
    expect_program "$chosen"
    expect_entry "$(windows_path "$chosen")" "$VERSION"
    [ -f "$SHORTCUT" ] || fail "no Start menu shortcut at $SHORTCUT"
    # The link's only UTF-16 string that names the program is its icon's place (the target is stored apart).
    strings -e l "$SHORTCUT" | grep -qiF "$(windows_path "$chosen")\\vantrel-frontend.exe" ||
        fail "the shortcut does not take its icon from the program"
    # Opened at 150 %, where Qt scales the window.
    set_dpi 144
    wine start /wait /unix "$SHORTCUT" >/dev/null 2>&1 &
    local opened=$!
    expect_main_window 144
    close_main_window "$opened"
    set_dpi 96
    quiet_uninstall
    [ ! -e "$chosen" ] || fail "the uninstall left $(find "$chosen" | head -n 5)"
    expect_removed "$options"

    # An older version, the user's NodeBuilder beside it, this version over it.
    local older="$work/older/$NAME"
    mkdir -p "$work/older"
    cp -al "$WIN_BUILD/stage/$NAME" "$older"
    echo "only the older version ships this" >"$older/licenses/older.txt"
    make_setup "$OLDER_VERSION" "$older" "$work/older-setup.exe" -DCOMPRESSOR=zlib
    wine "$work/older-setup.exe" /S >/dev/null 2>&1 || fail "the older version's silent install failed"
    expect_entry "$(windows_path "$default")" "$OLDER_VERSION"
    local nodebuilder="$WIN_BUILD/tests/fake_nodebuilder.exe"
    cp "$nodebuilder" "$default/vantrel.exe"
    wine "$SETUP" /S >/dev/null 2>&1 || fail "the silent install over the older version failed"
    expect_entry "$(windows_path "$default")" "$VERSION"
    expect_program "$default"
    [ ! -e "$default/licenses/older.txt" ] || fail "the older version's own file stayed"
    cmp -s "$nodebuilder" "$default/vantrel.exe" || fail "the user's vantrel.exe did not survive the upgrade"
    [ "$(registry_values "$REG_KEY")" = "$options" ] || fail "the upgrade changed the options"

    quiet_uninstall
    expect_removed "$options"
    [ "$(find "$default" | sort)" = "$(printf '%s\n' "$default" "$default/vantrel.exe")" ] ||
        fail "the uninstall did not leave exactly the user's vantrel.exe:"$'\n'"$(find "$default")"
    cmp -s "$nodebuilder" "$default/vantrel.exe" || fail "the uninstall changed the user's vantrel.exe"
    say "the setup installs, upgrades and uninstalls; options and the user's vantrel.exe stay"
}
