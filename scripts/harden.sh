#!/usr/bin/env bash
# The hardening checks that CI runs besides the normal suite:
#   sanitize  the whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer; any report fails
#   fuzz      each libFuzzer target of fuzz/ for FUZZ_SECONDS (20) from its seed corpus
#   lint      clang-tidy over the project's own sources, and clang-format on every tracked .cpp and .h
# Usage: harden.sh [sanitize] [fuzz] [lint]   (all three when none is named). Every step runs even after an
# earlier one failed; the exit status is non-zero when any of them did.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

ASAN_DIR="${ASAN_DIR:-$ROOT/build-asan}"
FUZZ_DIR="${FUZZ_DIR:-$ROOT/build-fuzz}"
FUZZ_SECONDS="${FUZZ_SECONDS:-20}"
FUZZ_TARGETS=(commandline outputname settings terminal wadname)
JOBS="$(nproc)"
# Clang's runtimes print file and line through this; without it their stacks show only addresses.
SYMBOLIZER=/usr/lib/llvm-14/bin/llvm-symbolizer
SANITIZER_COMMON="symbolize=1"
if [ -x "$SYMBOLIZER" ]; then
    SANITIZER_COMMON="external_symbolizer_path=$SYMBOLIZER"
fi

run_sanitized_suite() {
    # Clang, as for the fuzzers: its UndefinedBehaviorSanitizer writes its reports where log_path says.
    configure_and_build "$ASAN_DIR" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DVANTREL_SANITIZE=ON ||
        return 1
    # Reports go to files as well as failing their process, so one from a child process (the stand-in
    # NodeBuilder, a front end started by a test) fails the run even when its parent shrugs it off.
    local reports="$ASAN_DIR/sanitizer-reports"
    rm -rf "$reports"
    mkdir -p "$reports"
    local status=0
    ASAN_OPTIONS="$SANITIZER_COMMON:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan" \
        LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan-suppressions.txt:print_suppressions=0" \
        UBSAN_OPTIONS="$SANITIZER_COMMON:print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan" \
        QT_QPA_PLATFORM=offscreen \
        ctest --test-dir "$ASAN_DIR" --output-on-failure --timeout 600 --no-tests=error || status=1
    local report
    for report in "$reports"/*; do
        [ -e "$report" ] || continue
        echo "Sanitizer report $report:"
        cat "$report"
        status=1
    done
    return "$status"
}

configure_fuzz_build() {
    cmake -S "$ROOT" -B "$FUZZ_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DVANTREL_FUZZ=ON -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF >/dev/null
}

run_fuzzers() {
    configure_fuzz_build || return 1
    cmake --build "$FUZZ_DIR" --target fuzzers --parallel "$JOBS" || return 1
    local status=0 topic
    for topic in "${FUZZ_TARGETS[@]}"; do
        # New inputs go to a working corpus in the build folder; the seeds in the repository stay as they are.
        local corpus="$FUZZ_DIR/corpus/$topic" artifacts="$FUZZ_DIR/artifacts/$topic/" log="$FUZZ_DIR/fuzz_$topic.log"
        mkdir -p "$corpus" "$artifacts"
        local failed=0
        ASAN_OPTIONS="$SANITIZER_COMMON" UBSAN_OPTIONS="$SANITIZER_COMMON:print_stacktrace=1" \
            "$FUZZ_DIR/fuzz/fuzz_$topic" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$artifacts" "$corpus" "$ROOT/fuzz/corpus/$topic" >"$log" 2>&1 ||
            failed=1
        local done_line
        done_line="$(grep -oE 'Done [0-9]+ runs in [0-9]+ second\(s\)' "$log" || true)"
        if [ "$failed" != 0 ] || [ -z "$done_line" ]; then
            echo "fuzz_$topic: FAILED; the input that broke it is in $artifacts. The end of its log:"
            tail -n 40 "$log"
            status=1
        else
            echo "fuzz_$topic: $done_line"
        fi
    done
    return "$status"
}

# Prints each of the given files (relative to the root) that the compile database builds.
built_by() {
    local database=$1 file
    shift
    for file in "$@"; do
        if grep -qF "\"file\": \"$ROOT/$file\"" "$database"; then
            echo "$file"
        fi
    done
}

# Runs clang-tidy on the files through the compile database; its findings are appended to the log.
tidy() {
    local database_dir=$1 log=$2
    shift 2
    (cd "$ROOT" && printf '%s\0' "$@" | xargs -0 -r -n 1 -P "$JOBS" clang-tidy --quiet -p "$database_dir" >>"$log" 2>&1)
}

run_lint() {
    # The compile databases, and the generated headers (moc, resources) that the sources include.
    configure_and_build "$BUILD_DIR" || return 1
    configure_fuzz_build || return 1
    local status=0 sources=() units=() main=() fuzz=() unlinted=() other_platform=() file
    mapfile -t sources < <(git -C "$ROOT" ls-files -- '*.cpp' '*.h')
    mapfile -t units < <(git -C "$ROOT" ls-files -- '*.cpp')
    if [ ${#units[@]} -eq 0 ]; then
        echo "lint: no tracked sources found; the lint reads them from a git checkout"
        return 1
    fi

    echo "clang-format: ${#sources[@]} files"
    (cd "$ROOT" && clang-format --dry-run --Werror "${sources[@]}") || status=1

    # Every source through the build that compiles it: the normal one, else the fuzz one (fuzz/ only).
    mapfile -t main < <(built_by "$BUILD_DIR/compile_commands.json" "${units[@]}")
    declare -A linted=()
    for file in "${main[@]}"; do linted[$file]=1; done
    for file in "${units[@]}"; do
        [ -z "${linted[$file]:-}" ] || continue
        # Another platform's half of a unit (Windows, or a build without a library) and the Windows-only suites:
        # no Linux build compiles them; the Windows step compiles them with -Wall -Wextra -Wpedantic.
        case $file in *_win.cpp | *_none.cpp | tests/tst_windows*.cpp) other_platform+=("$file") && continue ;; esac
        if [ -n "$(built_by "$FUZZ_DIR/compile_commands.json" "$file")" ]; then
            fuzz+=("$file")
        else
            unlinted+=("$file")
        fi
    done
    if [ ${#unlinted[@]} -ne 0 ]; then
        echo "clang-tidy: no build compiles these, so they cannot be linted: ${unlinted[*]}"
        status=1
    fi

    echo "clang-tidy: $((${#main[@]} + ${#fuzz[@]})) files; not the ${#other_platform[@]} of other platforms"
    local log="$BUILD_DIR/clang-tidy.log" tidy_status=0
    : >"$log"
    tidy "$BUILD_DIR" "$log" "${main[@]}" || tidy_status=1
    tidy "$FUZZ_DIR" "$log" "${fuzz[@]}" || tidy_status=1
    if grep -qE '(warning|error):' "$log"; then
        grep -E '(warning|error):' "$log" | sort -u
        tidy_status=1
    elif [ "$tidy_status" != 0 ]; then
        grep -v ' warnings\? generated\.$' "$log"
    fi
    [ "$status" = 0 ] && [ "$tidy_status" = 0 ]
}

main() {
    local steps=("$@")
    [ ${#steps[@]} -ne 0 ] || steps=(sanitize fuzz lint)
    install_missing_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    local step failed=() summary=()
    for step in "${steps[@]}"; do
        local started=$SECONDS result=passed
        echo "=== harden: $step"
        case "$step" in
        sanitize) run_sanitized_suite || result=FAILED ;;
        fuzz) run_fuzzers || result=FAILED ;;
        lint) run_lint || result=FAILED ;;
        *)
            echo "unknown step: $step (sanitize, fuzz or lint)"
            result=FAILED
            ;;
        esac
        summary+=("harden: $step $result in $((SECONDS - started)) s")
        [ "$result" = passed ] || failed+=("$step")
    done
    printf '%s\n' "${summary[@]}"
    [ ${#failed[@]} -eq 0 ]
}

main "$@"
