#!/usr/bin/env bash
# Installs the Debian packages the front end needs to build, run and test, then configures and builds it.
# Sourced by run.sh and test.sh; installs nothing when everything is already there.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libxcb1-dev
    fonts-wine fonts-liberation
    xvfb xauth x11-utils
    clang libclang-rt-14-dev llvm-14 clang-tidy clang-format
)

# What making and checking the Debian package needs as well (scripts/package.sh, scripts/package-test.sh):
# dpkg-shlibdeps and file find the package's dependencies, the other two validate what it installs.
PACKAGING_PACKAGES=(dpkg-dev file desktop-file-utils appstream)

# What the Windows build and its checks need (scripts/qt-windows.sh, scripts/windows.sh): the cross compiler
# with the posix thread model, Qt's source through apt-get source (dpkg-dev), Ninja for Qt's build, wine to
# run the result, zip to ship it; unzip and xdotool to start and drive the shipped program as a user would.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix dpkg-dev ninja-build wine wine64 zip unzip
    xdotool)

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

configure_and_build() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}
