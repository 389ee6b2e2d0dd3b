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

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

# Packages are the system's: installing them takes root, the rest (building,
# running, testing) never does. A normal user is asked through sudo.
install=(apt-get install -y --no-install-recommends "${missing[@]}")
tell_root() {
    echo "Run this as root, then run this script again:" >&2
    echo "    apt-get update && ${install[*]}" >&2
    exit 1
}
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
    echo "Installing: ${missing[*]}"
elif command -v sudo >/dev/null; then
    as_root=(sudo)
    echo "Installing through sudo (it may ask for your password): ${missing[*]}"
else
    echo "Missing packages: ${missing[*]}" >&2
    tell_root
fi
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq || tell_root
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive "${install[@]}" -qq || tell_root
