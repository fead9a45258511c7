#!/usr/bin/env bash
# Installs what is missing, builds and runs every test through CTest.
# TORVIX_SANITIZE=1 (set by CI) also builds and runs the tests under ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
jobs=$(nproc)

# UI_EXCLUDE: a regular expression of ui tests a suite leaves out.
run_suite() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DTORVIX_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    # A display is never needed here: the ui tests start their own Xvfb. They drive an X server
    # and WebKit's processes, whose rare hiccups are not ours: a ui test that fails is run once
    # more (the first failure stays in the output), every other test must pass the first time.
    (cd "$dir" && env -u DISPLAY ctest --output-on-failure -j "$jobs" --timeout 600 -LE '^ui$')
    # The ui tests play the sample card the run above wrote: it is not written again (-FS).
    (cd "$dir" && env -u DISPLAY ctest --output-on-failure -j "$jobs" --timeout 600 -L '^ui$' --repeat until-pass:2 \
        -FS samplecard ${UI_EXCLUDE:+-E "$UI_EXCLUDE"})
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${TORVIX_SANITIZE:-0}" = "1" ]; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
    # CI has 25 minutes on two cores: the sanitizer suite leaves out the ui tests that run the
    # map pages' script and the control gallery (their C++ runs under the sanitizers in the unit
    # tests; the normal suite above runs them all).
    UI_EXCLUDE='MapPageTest|MapTileTimeoutTest|CGalleryUi' \
    run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DTORVIX_SANITIZE=ON -DTORVIX_BENCH=OFF
fi
