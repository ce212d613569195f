#!/usr/bin/env bash
# The Debian packages the front end needs to build and run, and those its tests add; configures and builds it.
# Sourced by run.sh, test.sh and the other scripts; installs nothing when everything is already there.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

# What building and running the front end needs: the compiler and CMake, Qt, fontconfig's headers (the font
# configuration is read ahead at start-up) and the window's fonts. run.sh installs these alone.
PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev libvterm-dev
    fonts-wine fonts-liberation
)

# What the tests, the hardening checks and the benchmarks add: a private X server and the xcb headers for the
# programs that watch it, a session bus with the accessibility bus and its Python client for the screen
# reader's view, clang with its sanitizer runtime and fuzzer, clang-tidy and clang-format for the lint.
TEST_PACKAGES=(
    libxcb1-dev
    xvfb xauth x11-utils xdotool
    dbus-daemon dbus-bin at-spi2-core python3-pyatspi
    clang libclang-rt-14-dev llvm-14 clang-tidy clang-format
)

# What making and checking the Debian package needs as well (scripts/package.sh, scripts/package-test.sh):
# dpkg-shlibdeps and file find the package's dependencies, the other two validate what it installs.
PACKAGING_PACKAGES=(dpkg-dev file desktop-file-utils appstream)

# What the Windows build and its checks need (scripts/qt-windows.sh, scripts/windows.sh): the cross compiler
# with the posix thread model, Qt's source through apt-get source (dpkg-dev), Ninja for Qt's build, wine to
# run the result, zip and nsis (makensis) to ship it; unzip and xdotool to start and drive the shipped program
# as a user would, binutils' strings to read its shortcut.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix dpkg-dev ninja-build wine wine64 zip nsis
    unzip xdotool binutils)

install_missing_packages() {
    local missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo_cmd=()
    if [ "$(id -u)" != 0 ]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The builds kept once per machine in the cache folder (Qt and libvterm for Windows). One build of a prefix at a
# time: a second run (another work tree, say) waits for the first, then uses its result. True, with the prefix
# printed, when the prefix is complete; false, holding the prefix's lock, when the caller is to build it.
# cache_prefix NAME PART...: the cache folder for a Windows build of NAME, keyed by the parts that make it
# (version, compiler, options), so a change to any of them builds anew beside the old.
cache_prefix() {
    local name=$1
    shift
    local key
    key=$(printf '%s\n' "$@" | sha256sum | cut -c1-10)
    echo "${VANTREL_CACHE:-$HOME/.cache/vantrel-frontend}/$name-mingw-$key"
}

cached_prefix_ready() {
    local prefix=$1 name=$2
    if [ -f "$prefix/.complete" ]; then
        echo "$prefix"
        return 0
    fi
    mkdir -p "$(dirname "$prefix")"
    exec 9>"$prefix.lock"
    if ! flock -n 9; then
        echo "$name: another run is building into $prefix; waiting for it" >&2
        flock 9
    fi
    if [ -f "$prefix/.complete" ]; then
        echo "$prefix"
        return 0
    fi
    return 1
}

# The source package needs a deb-src entry; derive it from the machine's own Debian entries.
ensure_deb_src() {
    if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        return 0
    fi
    local sudo_cmd=()
    [ "$(id -u)" = 0 ] || sudo_cmd=(sudo)
    local out=/etc/apt/sources.list.d/vantrel-deb-src.sources
    echo "adding a deb-src entry derived from the machine's Debian sources ($out)" >&2
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | "${sudo_cmd[@]}" tee "$out" >/dev/null
    else
        grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/vantrel-deb-src.list >/dev/null
    fi
    "${sudo_cmd[@]}" apt-get update -qq
}

# debian_source NAME PREFIX PACKAGE: Debian's source of PACKAGE, unpacked afresh into PREFIX.build for a build
# into PREFIX (whatever a failed or interrupted build left goes first); prints the source's folder.
debian_source() {
    local name=$1 prefix=$2 source_package=$3
    local work="$prefix.build"
    install_missing_packages "${WINDOWS_PACKAGES[@]}"
    ensure_deb_src
    rm -rf "$work" "$prefix"
    mkdir -p "$work"
    (cd "$work" && apt-get source -qq "$source_package" >/dev/null 2>&1) || {
        echo "$name: apt-get source $source_package failed" >&2
        return 1
    }
    find "$work" -mindepth 1 -maxdepth 1 -type d -name "$source_package-*" | head -n 1
}

configure() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

configure_and_build() {
    configure "$@"
    cmake --build "$1" --parallel "$(nproc)"
}
