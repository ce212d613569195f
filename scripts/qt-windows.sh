#!/usr/bin/env bash
# Builds Qt 6 for Windows (x86-64, mingw-w64 with the posix thread model) from Debian's own Qt source, once
# per machine, into a cache folder outside the work tree, and prints that folder. Later calls find it there
# and print it at once. Only what the front end and its tests use is built: Core, Gui, Widgets, Test and the
# windows and offscreen platform plugins.
#   scripts/qt-windows.sh            build if needed, print the install folder
# Environment: VANTREL_CACHE (default ~/.cache/vantrel-frontend).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/setup.sh"

# The same version as the host's tools, which the cross build runs (moc, rcc, uic): QT_HOST_PATH=/usr.
QT_VERSION=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools | sed 's/+.*//; s/-.*//')
# Debian's source lacks Qt's bundled wintab.h, hence no tablet events (the front end has no use for them);
# without OpenGL, Qt 6.4's Windows platform plugin also needs dynamic GL switched off.
QT_FEATURES=(
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_vulkan=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_tabletevent=OFF -DFEATURE_dynamicgl=OFF
)
PREFIX=$(cache_prefix "qt-$QT_VERSION" "$QT_VERSION" "${QT_FEATURES[@]}")

cached_prefix_ready "$PREFIX" qt-windows && exit 0

say() { echo "qt-windows: $*" >&2; }

work="$PREFIX.build"
say "building Qt $QT_VERSION for Windows once for this machine into $PREFIX (about half an hour on 2 cores)"
src=$(debian_source qt-windows "$PREFIX" qt6-base)

cmake -G Ninja -S "$src" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/scripts/mingw-w64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DQT_FEATURE_system_zlib=OFF -DFEATURE_system_zlib=OFF \
    "${QT_FEATURES[@]}" >"$work/configure.log" 2>&1 || {
    say "configure failed; the last lines of $work/configure.log:"
    tail -n 30 "$work/configure.log" >&2
    exit 1
}
# Ninja's own progress ("[412/1093]") every hundred steps, so a long first build is seen to move.
if ! cmake --build "$work/build" --parallel "$(nproc)" 2>&1 | tee "$work/build.log" |
    awk -F'[][/]' '/^\[[0-9]+\/[0-9]+\]/ { if ($2 % 100 == 0 || $2 == $3) printf "qt-windows: step %d of %d\n", $2, $3 > "/dev/stderr" }' ||
    ! cmake --install "$work/build" >"$work/install.log" 2>&1; then
    say "the build failed; the last lines of $work/build.log:"
    tail -n 30 "$work/build.log" >&2
    exit 1
fi
touch "$PREFIX/.complete"
rm -rf "$work"
say "done"
echo "$PREFIX"
