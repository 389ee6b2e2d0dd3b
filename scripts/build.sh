#!/usr/bin/env bash
# Configures (once) and builds everything into build/; bin/ is the program folder.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${MORVANE_BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    launcher=()
    # A compiler cache, where one is installed, speeds up builds in several work trees.
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
