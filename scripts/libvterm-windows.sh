#!/usr/bin/env bash
# Builds libvterm for Windows (x86-64, mingw-w64) from Debian's own source of the host's version, once per
# machine, as a static library beside Qt for Windows in the cache folder, and prints that prefix: include/,
# lib/libvterm.a and lib/pkgconfig/vterm.pc, which the cross build finds through PKG_CONFIG_LIBDIR. Static, so
# the zip and the setup program ship no DLL for it.
#   scripts/libvterm-windows.sh      build if needed, print the prefix
# Environment: VANTREL_CACHE (default ~/.cache/vantrel-frontend).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/setup.sh"

VTERM_VERSION=$(dpkg-query -W -f='${Version}' libvterm-dev | sed 's/-[^-]*$//')
CC=x86_64-w64-mingw32-gcc-posix
CFLAGS=(-O2 -std=c99)
PREFIX=$(cache_prefix "libvterm-$VTERM_VERSION" "$VTERM_VERSION" "$CC" "${CFLAGS[@]}")

cached_prefix_ready "$PREFIX" libvterm-windows && exit 0

say() { echo "libvterm-windows: $*" >&2; }

work="$PREFIX.build"
say "building libvterm $VTERM_VERSION for Windows once for this machine into $PREFIX"
src=$(debian_source libvterm-windows "$PREFIX" libvterm)
mkdir -p "$PREFIX/include" "$PREFIX/lib/pkgconfig"
# The source ships its generated tables (src/encoding/*.inc, src/fullwidth.inc), so the C files build alone.
for file in "$src"/src/*.c; do
    "$CC" "${CFLAGS[@]}" -I"$src/include" -c "$file" -o "$work/$(basename "${file%.c}").o" 2>>"$work/build.log" || {
        say "compiling $(basename "$file") failed; the last lines of $work/build.log:"
        tail -n 30 "$work/build.log" >&2
        exit 1
    }
done
x86_64-w64-mingw32-ar rcs "$PREFIX/lib/libvterm.a" "$work"/*.o
cp "$src/include/vterm.h" "$src/include/vterm_keycodes.h" "$PREFIX/include/"
cat >"$PREFIX/lib/pkgconfig/vterm.pc" <<PC
prefix=$PREFIX
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: vterm
Description: Abstract VT220/Xterm/ECMA-48 emulation library (static, for Windows)
Version: $VTERM_VERSION
Libs: -L\${libdir} -lvterm
Cflags: -I\${includedir}
PC
touch "$PREFIX/.complete"
rm -rf "$work"
say "done"
echo "$PREFIX"
