#!/usr/bin/env bash
# Configures and builds everything into build/ (or $MORVANE_BUILD_DIR); bin/ is
# the program folder. Arguments are CMake options for the configuration, such
# as -DMORVANE_SANITIZE=ON; without any, an existing configuration is kept.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${MORVANE_BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/build.ninja" ] || [ $# -gt 0 ]; then
    launcher=()
    # A compiler cache, where one is installed, speeds up builds in several work trees.
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
