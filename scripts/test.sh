#!/usr/bin/env bash
# Installs what is missing, builds everything (benchmarks are built, not run)
# and runs every test; the window tests run on a private Xvfb display.
#
#   scripts/test.sh [ctest options]
#   scripts/test.sh --sanitize [ctest options]
#
# --sanitize builds the project and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ (or $MORVANE_BUILD_DIR) and
# runs every test there; any finding fails its test. Leaks inside libraries
# that are not ours are suppressed by tests/sanitizers/lsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize=0
if [ "${1:-}" = "--sanitize" ]; then
    sanitize=1
    shift
fi
scripts/deps.sh
if [ $sanitize -eq 1 ]; then
    export MORVANE_BUILD_DIR=${MORVANE_BUILD_DIR:-build-sanitize}
    scripts/build.sh -DMORVANE_SANITIZE=ON -DMORVANE_BUILD_BENCHMARKS=OFF
    # The programs the tests start (Morvane, ClassServer, RobotHost) inherit these.
    # intercept_tls_get_addr=0: the sanitizer runtime guesses the extent of the
    # thread-local storage of libraries loaded later from a header that glibc
    # 2.36 no longer writes; now and then it takes a wild range and the leak
    # check dies scanning it ("Tracer caught signal 11"). Without the guess
    # that storage is not scanned, which can only report more leaks, never hide
    # one.
    export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:intercept_tls_get_addr=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
else
    scripts/build.sh
fi
BUILD_DIR=${MORVANE_BUILD_DIR:-build}
cd "$BUILD_DIR"
select=()
if [ $sanitize -eq 1 ]; then
    # Window programs run whole here, each on a display of its own and side by
    # side, not case by case in turn on the shared one: every case still runs
    # under the sanitizers, in a third of the time.
    select=(-LE shared_display)
fi
exec xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" \
    ctest --output-on-failure -j "$(nproc)" "${select[@]}" "$@"
