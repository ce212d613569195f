#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine with what building and running the front end needs, builds the front end
# alone (the tests, fuzzers and benchmarks are test.sh's) and starts it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing_packages "${PACKAGES[@]}"
# The build folder is test.sh's as well, configured the same way; once configured, building brings it up to
# date (and configures again only when the build files changed).
[ -f "$BUILD_DIR/CMakeCache.txt" ] || configure "$BUILD_DIR"
cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target vantrel-frontend
exec "$BUILD_DIR/vantrel-frontend"
