#!/usr/bin/env bash
# Builds the front end and its benchmarks in release mode and prints one table: each figure against a
# baseline measured in the same run. Benchmarks never fail: read the table.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}" python3
dir="$ROOT/build-bench"
cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_BENCH=ON >/dev/null
# Only what the table runs: the front end, the benchmarks and their baselines, the stand-in and the watcher.
cmake --build "$dir" --parallel "$(nproc)" --target vantrel-frontend bench_minimal_window bench_captioned_window \
    bench_plain_controls_window bench_roundtrip bench_browse bench_console fake_nodebuilder xwindow

source "$ROOT/scripts/session.sh"
trap end_session EXIT
start_session
python3 "$ROOT/bench/run.py" "$dir" "${ROUNDS:-9}"
