#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Quick when everything is already there: only missing packages are fetched.
set -euo pipefail

PACKAGES=(
    cmake g++ make ninja-build pkgconf clang-format
    qt6-base-dev libqt6opengl6-dev qt6-5compat-dev
    qt6-translations-l10n  # Qt's own dialogs in the window's language
    xdg-utils  # the desktop's opener of the manual, and its answer when nothing can open it
    libopenscenegraph-dev libode-dev libtinyxml-dev
    libgtest-dev libbenchmark-dev libfcl-dev
    xvfb xauth libgl1-mesa-dri libglx-mesa0 mesa-utils
    fonts-dejavu-core fonts-wqy-microhei
    locales  # a decimal-comma locale for the number-format tests
    clang-14 libclang-rt-14-dev llvm-14  # scripts/fuzz.sh: libFuzzer and the symbolizer
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages need root: run as root or install them with apt-get." >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
