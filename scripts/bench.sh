#!/usr/bin/env bash
# Builds the front end and its benchmarks in release mode and prints one table: each figure against a
# baseline measured in the same run. Benchmarks never fail: read the table.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}" python3
dir="$ROOT/build-bench"
cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_BENCH=ON >/dev/null
cmake --build "$dir" --parallel "$(nproc)"

work=$(mktemp -d)
trap 'kill ${x_pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT
for n in $(seq 140 180); do [ -e "/tmp/.X$n-lock" ] || break; done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -dpi 96 >/dev/null 2>&1 &
x_pid=$!
export DISPLAY=":$n" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
python3 "$ROOT/bench/run.py" "$dir" "${ROUNDS:-9}"
