#!/usr/bin/env bash
# Installs what is missing, builds everything (benchmarks are built, not run)
# and runs every test; the window tests run on a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
BUILD_DIR=${MORVANE_BUILD_DIR:-build}
cd "$BUILD_DIR"
exec xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" \
    ctest --output-on-failure -j "$(nproc)" "$@"
