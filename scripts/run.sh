#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the front end and starts it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing_packages "${PACKAGES[@]}"
configure_and_build "$BUILD_DIR"
exec "$BUILD_DIR/vantrel-frontend"
