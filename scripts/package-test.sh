#!/usr/bin/env bash
# Checks the Debian package as a user's machine gets it: makes it (scripts/package.sh), unpacks it into a
# scratch root as dpkg would install it, validates the desktop entry and the metainfo, checks the icons, the
# man page and the dependencies, then starts the unpacked program on a private X server without a terminal,
# presses BUILD with the tests' stand-in NodeBuilder and closes the window as a window manager does
# (tests/smoke.sh). Exits non-zero on the first failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "package test failed: $*" >&2
    exit 1
}

"$ROOT/scripts/package.sh" >"$work/package.log" 2>&1 || { cat "$work/package.log"; fail "scripts/package.sh"; }
debs=("$BUILD_DIR"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $BUILD_DIR/package"
deb=${debs[0]}
root="$work/root"
dpkg -x "$deb" "$root"

# The dependencies come from the libraries the program links; the window's fonts are recommended.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libvterm0; do
    [[ ", $depends," == *", $library ("* ]] || fail "Depends names no $library: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *fonts-wine* ]] || fail "fonts-wine is not recommended"

entries=("$root"/usr/share/applications/*.desktop)
[ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || fail "expected one desktop entry"
entry=${entries[0]}
id=$(basename "$entry" .desktop)
desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
# The metainfo, and that its launchable names the desktop entry (a missing entry is a warning here).
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
grep -q "<release version=\"$(dpkg-deb -f "$deb" Version)\"" "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo's release is not the package's version"

# What the menu entry starts and shows must be in the package.
program=$(sed -n 's/^Exec=//p' "$entry")
[ -x "$root/usr/bin/$program" ] || fail "Exec=$program is not in /usr/bin"
[ "$(sed -n 's/^Icon=//p' "$entry")" = "$id" ] || fail "Icon= is not $id"
for size in 16 32 48 64 128 256; do
    icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [[ $(file -b "$icon") == "PNG image data, $size x $size,"* ]] || fail "$icon: $(file -b "$icon")"
done
[ -s "$root/usr/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
man="$root/usr/share/man/man1/$program.1.gz"
gzip -t "$man" && zgrep -q '^\.SH FILES' "$man" || fail "$man is no gzipped man page"

# The unpacked program on its own: no library path from the build, the system's libraries only.
[ -x "$BUILD_DIR/tests/xwindow" ] || fail "$BUILD_DIR/tests/xwindow was not built (libxcb1-dev missing?)"
env -u LD_LIBRARY_PATH bash "$ROOT/tests/smoke.sh" "$root/usr/bin/$program" "$BUILD_DIR/tests/xwindow" \
    "$BUILD_DIR/tests/fake_nodebuilder" "$BUILD_DIR/tests/control_centres"
echo "package test passed: $(basename "$deb"), $(stat -c %s "$deb") bytes, installs $id"
