#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the front end and runs every test; exits non-zero on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing_packages "${PACKAGES[@]}"
configure_and_build "$BUILD_DIR"
# Sanitizers, fuzzers and lint; the normal suite still runs when they fail, and the run fails afterwards.
hardening=0
bash "$ROOT/scripts/harden.sh" || hardening=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 300
exit "$hardening"
