#!/usr/bin/env bash
# Installs what is missing, builds, and starts ClassServer, the teacher's
# classroom server (it listens on port 4480 and stores bundles in
# build/bin/StuFile).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
exec "${MORVANE_BUILD_DIR:-build}/bin/ClassServer" "$@"
