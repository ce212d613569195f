#!/usr/bin/env bash
# Builds the front end and makes its Debian package in build/package/ (one .deb, whose path is printed last).
# Installs what it needs on Debian first. Install the package with: sudo apt install ./build/package/*.deb
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing_packages "${PACKAGES[@]}" "${PACKAGING_PACKAGES[@]}"
configure_and_build "$BUILD_DIR"
rm -f "$BUILD_DIR"/package/*.deb
(cd "$BUILD_DIR" && cpack -G DEB -B "$BUILD_DIR/package")
ls "$BUILD_DIR"/package/*.deb
