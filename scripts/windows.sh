#!/usr/bin/env bash
# The front end for 64-bit Windows, made and checked on this Debian machine:
#   1. cross-builds it with mingw-w64 against the Qt that scripts/qt-windows.sh builds once per machine;
#   2. stages a folder that runs on a clean Windows, zips it to
#      build-windows/vantrel-frontend-<version>-windows-x64.zip and makes from it, with makensis, the setup
#      program build-windows/vantrel-frontend-<version>-windows-x64-setup.exe (packaging/windows-setup.nsi);
#   3. checks it under wine, in a fresh private wine prefix on a private X server: the Qt Test suites built
#      for Windows (the windows' scale checks at 96, 120, 144 and 192 dpi), then the unzipped front end itself
#      (its window, "BUILD" with a Windows vantrel.exe beside it, which runs in NodeBuilder's console, the fifteen
#      registry values read at start and written at close), then the setup program (tests/windows-setup.sh).
#   scripts/windows.sh                    all of it; exits non-zero on the first failure
#   scripts/windows.sh app                all but the test suites: the unzipped front end and the setup alone
#   scripts/windows.sh screenshot [PNG]   builds, then saves the main window under wine at 100 % and at 150 %
#                                         (docs/screenshot-windows.png and docs/screenshot-windows-150.png), and
#                                         NodeBuilder's console after a run (docs/console-windows.png)
# Environment: WINDOWS_BUILD_DIR (default build-windows/), VANTREL_CACHE (where Qt for Windows is kept).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
source "$ROOT/scripts/xvfb.sh"
source "$ROOT/scripts/xdrive.sh"
source "$ROOT/tests/windows-setup.sh"

mode=${1:-check}
WIN_BUILD="${WINDOWS_BUILD_DIR:-$ROOT/build-windows}"
VERSION=$(sed -n 's/^project(VantrelFrontend VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
NAME="vantrel-frontend-$VERSION-windows-x64"
ZIP="$WIN_BUILD/$NAME.zip"
SETUP="$WIN_BUILD/$NAME-setup.exe"
REG_KEY='HKCU\Software\VB and VBA Program Settings\QMR\Vantrel'
MINGW_RUNTIME=(libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)

say() { echo "windows: $*"; }
fail() {
    echo "windows: FAILED: $*" >&2
    exit 1
}

work=$(mktemp -d)
cleanup() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT

build() {
    install_missing_packages "${PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
    # The X11 watcher of the smoke test and where the main window's controls stand, from the Linux build.
    XWINDOW="$BUILD_DIR/tests/xwindow"
    if [ ! -x "$XWINDOW" ] || [ ! -x "$BUILD_DIR/tests/control_centres" ]; then
        cmake -S "$ROOT" -B "$BUILD_DIR" >/dev/null
        cmake --build "$BUILD_DIR" --target xwindow control_centres >/dev/null
    fi
    load_controls "$BUILD_DIR/tests/control_centres"
    QT=$(bash "$ROOT/scripts/qt-windows.sh")
    VTERM=$(bash "$ROOT/scripts/libvterm-windows.sh")
    say "building into $WIN_BUILD against $QT and $VTERM"
    # pkg-config sees the Windows libvterm alone, never the host's.
    PKG_CONFIG_LIBDIR="$VTERM/lib/pkgconfig" cmake -S "$ROOT" -B "$WIN_BUILD" \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/scripts/mingw-w64.cmake" -DVANTREL_WINDOWS_PREFIXES="$VTERM" \
        -DCMAKE_PREFIX_PATH="$QT" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_TESTS=ON -DVANTREL_BUILD_BENCH=OFF \
        -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
    cmake --build "$WIN_BUILD" --parallel "$(nproc)"
}

runtime_dll() {
    local path
    path=$(x86_64-w64-mingw32-g++-posix -print-file-name="$1")
    [ -f "$path" ] || path=/usr/x86_64-w64-mingw32/lib/$1
    [ -f "$path" ] || fail "no $1 from mingw-w64"
    echo "$path"
}

# The DLLs that a Windows binary imports.
imports() {
    x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'
}

stage() {
    local dir="$WIN_BUILD/stage/$NAME"
    rm -rf "$WIN_BUILD/stage" "$ZIP"
    mkdir -p "$dir/platforms" "$dir/styles" "$dir/imageformats" "$dir/licenses"
    cp "$WIN_BUILD/vantrel-frontend.exe" "$dir/"
    x86_64-w64-mingw32-strip "$dir/vantrel-frontend.exe"
    cp "$QT/plugins/platforms/qwindows.dll" "$dir/platforms/"
    cp "$QT"/plugins/styles/*.dll "$dir/styles/" 2>/dev/null || rmdir "$dir/styles"
    cp "$QT/plugins/imageformats/qico.dll" "$dir/imageformats/" # the window's icon is a .ico
    for dll in "${MINGW_RUNTIME[@]}"; do
        cp "$(runtime_dll "$dll")" "$dir/"
    done
    # The Qt DLLs that the program and its plugins import, and those that they import in turn.
    local added=1
    while [ "$added" = 1 ]; do
        added=0
        while read -r dll; do
            if [ -f "$QT/bin/$dll" ] && [ ! -f "$dir/$dll" ]; then
                cp "$QT/bin/$dll" "$dir/"
                added=1
            fi
        done < <(for binary in "$dir"/*.exe "$dir"/*.dll "$dir"/*/*.dll; do imports "$binary"; done | sort -u)
    done
    # Whatever else is imported must come with Windows itself.
    local missing
    missing=$(for binary in "$dir"/*.exe "$dir"/*.dll "$dir"/*/*.dll; do imports "$binary"; done | sort -u |
        while read -r dll; do
            [ -f "$dir/$dll" ] || [[ ${dll,,} =~ ^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comdlg32|imm32|winmm|ws2_32|uxtheme|dwmapi|version|netapi32|userenv|shlwapi|shcore|setupapi|dwrite|d2d1|d3d9|d3d11|dxgi|wtsapi32|authz|mpr|rpcrt4|msvcrt|uiautomationcore|ntdll|bcrypt|crypt32|secur32|winspool\.drv|api-ms-win-.*)\.dll$ ]] ||
                echo "$dll"
        done)
    [ -z "$missing" ] || fail "the staged folder lacks: $missing"

    cp "$ROOT/LICENSE" "$dir/licenses/vantrel-frontend.txt"
    cp /usr/share/doc/libqt6core6/copyright "$dir/licenses/qt.txt"
    cp /usr/share/common-licenses/LGPL-3 "$dir/licenses/LGPL-3.txt"
    cp /usr/share/common-licenses/GPL-3 "$dir/licenses/GPL-3.txt"
    cp /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright "$dir/licenses/gcc-runtime.txt"
    cp /usr/share/doc/mingw-w64-common/copyright "$dir/licenses/mingw-w64-winpthreads.txt"
    sed "s/@VERSION@/$VERSION/g" "$ROOT/packaging/windows-readme.txt.in" >"$dir/README.txt"
    # Windows' own line ends, for Notepad.
    for text in "$dir/README.txt" "$dir"/licenses/*.txt; do
        sed -i 's/\r\?$/\r/' "$text"
    done
    (cd "$WIN_BUILD/stage" && zip -qr -X "$ZIP" "$NAME")
    say "made $ZIP ($(stat -c %s "$ZIP") bytes)"
    make_setup "$VERSION" "$dir" "$SETUP"
    say "made $SETUP ($(stat -c %s "$SETUP") bytes)"
}

# make_setup VERSION FOLDER SETUP [MAKENSIS OPTIONS]: the setup program that installs FOLDER. Its lists come
# from the folder itself: each file for the setup to install, and the same files, then each subfolder deepest
# first, for its uninstaller to remove, so that it removes exactly what the setup wrote.
make_setup() {
    local version=$1 folder=$2 setup=$3
    shift 3
    local lists="$WIN_BUILD/setup/$version"
    rm -rf "$lists" "$setup"
    mkdir -p "$lists"
    local files
    # Shallowest first, each folder's files together.
    mapfile -t files < <(cd "$folder" && find . -type f -printf '%d\t%P\n' | LC_ALL=C sort | cut -f 2-)
    local bytes
    bytes=$(find "$folder" -type f -printf '%s\n' | awk '{ sum += $1 } END { print sum }')
    local file sub current=.
    {
        echo "!define INSTALLED_KB $(((bytes + 1023) / 1024))"
        echo '!macro InstallFiles'
        echo "    SetOutPath \"\$INSTDIR\""
        for file in "${files[@]}"; do
            [[ $file != *[\"\`\$]* ]] || fail "the setup cannot name $file"
            sub=$(dirname "$file")
            if [ "$sub" != "$current" ]; then
                echo "    SetOutPath \"\$INSTDIR\\${sub//\//\\}\""
                current=$sub
            fi
            local source="$folder/$file"
            echo "    File \"${source//\$/\$\$}\""
        done
        echo '!macroend'
    } >"$lists/install.nsh"
    {
        echo '!macro UninstallFiles'
        for file in "${files[@]}"; do
            echo "    Delete \"\$INSTDIR\\${file//\//\\}\""
        done
        (cd "$folder" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort -r) | while read -r sub; do
            echo "    RMDir \"\$INSTDIR\\${sub//\//\\}\""
        done
        echo '!macroend'
    } >"$lists/uninstall.nsh"
    makensis -V2 -WX -DVERSION="$version" -DLISTS="$lists" -DICON="$ROOT/resources/vantrel.ico" -DOUTFILE="$setup" \
        "$@" "$ROOT/packaging/windows-setup.nsi" >"$lists/makensis.log" 2>&1 ||
        { cat "$lists/makensis.log"; fail "makensis"; }
}

# A fresh private wine prefix, with drive letters for the file browser's checks: q: names a folder that does
# not exist, t: an empty scratch folder. Crashes are not shown in a dialog (the stand-in crashes on purpose).
# wine's menu builder stays off: it would copy each shortcut that a setup makes, and every file association,
# into this machine's own desktop menu and folders. Every Windows has the bitmap "MS Sans Serif" and "Tahoma";
# Debian's wine does not offer fonts-wine's copies of them until they lie in the prefix's font folder.
new_prefix() {
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    local started=$SECONDS
    wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; fail "wineboot"; }
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    cp /usr/share/wine/fonts/{sserife.fon,tahoma.ttf,tahomabd.ttf} "$WINEPREFIX/drive_c/windows/Fonts/"
    mkdir -p "$work/scratch"
    ln -s "$work/missing" "$WINEPREFIX/dosdevices/q:"
    ln -s "$work/scratch" "$WINEPREFIX/dosdevices/t:"
    wineserver -w
    say "new wine prefix in $((SECONDS - started)) s"
}

windows_path() {
    winepath -w "$1" 2>/dev/null
}

# With no window manager on the private X server, wine waits two seconds for one whenever a window it lets a
# window manager handle is hidden. The suites' windows are left to wine alone, which takes that wait away
# (about 3 minutes in all); the unzipped front end below is started as on a desktop.
UNMANAGED_KEY='HKCU\Software\Wine\X11 Driver'

# The system DPI, as a user sets it in Windows' display settings (96 is 100 %); wine reads it as each program
# starts, and Qt scales the windows by it.
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
        fail "wine reg add LogPixels $1"
}

# The suites run with Qt's own DLLs and plugins from where it was built; the unzipped program must not see them.
suites() {
    WINEPATH="$(windows_path "$QT/bin");$(windows_path "$(dirname "$(runtime_dll libstdc++-6.dll)")");$(windows_path /usr/x86_64-w64-mingw32/lib)" \
        QT_PLUGIN_PATH="$(windows_path "$QT/plugins")" \
        VANTREL_TEST_DRIVES="c:,z:" VANTREL_TEST_UNREADY_DRIVE="q:" VANTREL_TEST_SCRATCH_DRIVE="t:" \
        ctest --test-dir "$WIN_BUILD" --output-on-failure --timeout 300 "$@"
}

# Every suite at 100 %, then the windows' scale checks at 125, 150 and 200 %.
run_suites() {
    say "running the Windows test suites under wine"
    wine reg add "$UNMANAGED_KEY" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || fail "wine reg add $UNMANAGED_KEY"
    suites -LE scaled || fail "Windows test suites"
    for dpi in 120 144 192; do
        set_dpi "$dpi"
        say "the windows' scale checks at $dpi dpi"
        suites -L scaled || fail "the windows' scale checks at $dpi dpi"
    done
    set_dpi 96
    wine reg delete "$UNMANAGED_KEY" /v Managed /f >/dev/null 2>&1 || fail "wine reg delete $UNMANAGED_KEY"
}

# The expected fifteen values after the preset below and a close without changes, in the key table's order.
EXPECTED_VALUES=(N1=False N2=True N3=False B1=False B2=True B3=False Option1=0 Option2=0 Option3=1 Option4=1
    Option5=2 Option6=1 Option7=0 Option8=0 Option9=1)

# expect_main_window DPI: waits for the front end's main window, then checks that it has the design's client
# area, 7215 x 6630 twips, at the system DPI (481 x 442 pixels at 96), and the icons that wine asks for there:
# a small one of 16 pixels at 96 dpi (24 at 144), and one of 32.
expect_main_window() {
    local dpi=$1
    "$XWINDOW" mapped "Vantrel Frontend" 60 >/dev/null || fail "the main window did not appear within a minute"
    local window size expected_size="$(((7215 * dpi + 720) / 1440))x$(((6630 * dpi + 720) / 1440))"
    window=$(window_titled 'Vantrel Frontend')
    size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    [ "$size" = "$expected_size" ] || fail "at $dpi dpi the main window is $size, not $expected_size"
    local icons small=$((16 * dpi / 96))
    icons=$(xprop -id "$window" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u | tr '\n' ' ')
    [[ $icons == *"Icon ($small x $small)"* && $icons == *"Icon (32 x 32)"* ]] ||
        fail "the main window's icons are not $small and 32 pixels: ${icons:-none}"
}

# close_main_window PID: closes the main window as a window manager closes it; the program started as PID must
# then end by itself.
close_main_window() {
    "$XWINDOW" close "Vantrel Frontend" 30 || fail "the main window did not close"
    for _ in $(seq 300); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$1" 2>/dev/null && fail "the front end did not end after its window was closed"
    wait "$1" || true
}

# The id of NodeBuilder's console window once it shows, a minute at the most: it stays open once NodeBuilder has
# ended, titled with how it ended and the program's path.
console_window() {
    timeout 60 xdotool search --sync --onlyvisible --name '^Finished - .*\\vantrel\.exe$' | head -n 1
}

# check_unzipped [DPI]: DPI is the system DPI that set_dpi set, 96 unless given.
check_unzipped() {
    say "starting the unzipped front end under wine"
    local app="$work/unzipped" dpi=${1:-96}
    mkdir -p "$app" "$work/elsewhere"
    (cd "$app" && unzip -qo "$ZIP")
    local folder="$app/$NAME"
    cp "$WIN_BUILD/tests/fake_nodebuilder.exe" "$folder/vantrel.exe"

    # Values as the earlier front end left them: "N2" selects the second strategy over the default of "N1",
    # "Option9" ticks "Input File = Output File", "Option5" is grey.
    if [ "$mode" != screenshot ]; then
        wine reg add "$REG_KEY" /v N2 /t REG_SZ /d True /f >/dev/null 2>&1
        wine reg add "$REG_KEY" /v Option9 /t REG_SZ /d 1 /f >/dev/null 2>&1
        wine reg add "$REG_KEY" /v Option5 /t REG_SZ /d 2 /f >/dev/null 2>&1
    fi
    touch "$work/before-start"

    local log="$work/runs.log"
    # The stand-in draws a progress line. wine 8.0 hands a program on a pseudo console none of the console's
    # handles, so here it draws through the console's device (tests/tst_windowsconsole.cpp says more).
    (cd "$work/elsewhere" && VANTREL_STANDIN_LOG="$(windows_path "$log")" VANTREL_STANDIN_PROGRESS=1 \
        VANTREL_STANDIN_CONSOLE_DEVICE=1 wine "$folder/vantrel-frontend.exe" >"$work/frontend.log" 2>&1) &
    local app_pid=$!
    expect_main_window "$dpi"

    if [ "$mode" = screenshot ]; then
        sleep 1 # let the first paint reach the screen
        mkdir -p "$(dirname "$out")"
        import -window "$(window_titled 'Vantrel Frontend')" "$out"
        say "saved $out"
        if [ "$dpi" = 96 ]; then
            press_build 'C:\maps\e1.wad' 'C:\maps\e1_vtl.wad' E1M1
            local console
            console=$(console_window) || fail "NodeBuilder's console did not show"
            sleep 1 # let the last paint reach the screen
            import -window "$console" "$ROOT/docs/console-windows.png"
            say "saved $ROOT/docs/console-windows.png"
        fi
    else
        # "BUILD" with both paths typed (a path with blanks) and a level.
        press_build 'C:\my maps\e1.wad' 'C:\my maps\e1.wad' E1M1
        for _ in $(seq 200); do [ -s "$log" ] && grep -q '^end$' "$log" && break; sleep 0.1; done
        [ -s "$log" ] || fail "BUILD did not start the vantrel.exe beside the front end"
        local arguments
        arguments=$(sed -n 's/^arg=//p' "$log" | while read -r hex; do printf '%b\n' "$(sed 's/../\\x&/g' <<<"$hex")"; done)
        local expected
        expected=$(printf '%s\n' -n2 -b -bc -nu -ni- -rc -rg 'C:\my maps\e1.wad' E1M1 -o 'C:\my maps\e1.wad')
        [ "$arguments" = "$expected" ] || fail "vantrel.exe got:"$'\n'"$arguments"$'\n'"expected:"$'\n'"$expected"
        say "BUILD ran vantrel.exe beside the front end with exactly the composed arguments"
        # vantrel.exe ran on a pseudo console, shown in the front end's own console window.
        grep -qx console=1 "$log" || fail "vantrel.exe was not given a console:"$'\n'"$(cat "$log")"
        [ -n "$(console_window)" ] || fail "NodeBuilder's console did not stay open after the run"
        say "vantrel.exe ran in NodeBuilder's console, which stayed open after it ended"
    fi

    # The front end must end by itself once its window is closed, and write the registry.
    close_main_window "$app_pid"
    [ "$mode" = screenshot ] && return 0

    local values
    values=$(wine reg query "$REG_KEY" 2>/dev/null | tr -d '\r' |
        awk '$2 == "REG_SZ" { print $1 "=" $3 }')
    local count
    count=$(echo "$values" | grep -c .)
    [ "$count" = 15 ] || fail "expected 15 REG_SZ values under $REG_KEY, found $count:"$'\n'"$values"
    for pair in "${EXPECTED_VALUES[@]}"; do
        grep -qx "$pair" <<<"$values" || fail "expected $pair under $REG_KEY, found:"$'\n'"$values"
    done
    local strays
    strays=$(find "$WINEPREFIX/drive_c" "$work" "$HOME/.config" -newer "$work/before-start" \
        \( -iname '*qmr*' -o -iname '*vantrel*.ini' \) 2>/dev/null | grep -v "^$work/unzipped" || true)
    [ -z "$strays" ] || fail "options were written elsewhere as well: $strays"
    say "the registry holds the fifteen values; nothing was written anywhere else"
}

build
stage
start_xvfb 1024x768
new_prefix
if [ "$mode" = screenshot ]; then
    install_missing_packages imagemagick
    out=$(realpath -m "${2:-$ROOT/docs/screenshot-windows.png}")
    check_unzipped
    set_dpi 144
    out="${out%.png}-150.png"
    check_unzipped 144
    exit 0
fi
[ "$mode" = app ] || run_suites
check_unzipped
check_setup
say "all Windows checks passed"
