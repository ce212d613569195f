#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the front end and runs every test; exits non-zero on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing_packages "${PACKAGES[@]}"
configure_and_build "$BUILD_DIR"
# The Debian package made from that build, unpacked, validated and started; before ctest, whose summary
# closes the output.
"$ROOT/scripts/package-test.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 300
