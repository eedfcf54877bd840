#!/usr/bin/env bash
# Installs what is needed, builds the Release tree and runs every test.
# Usage: scripts/test.sh [preset]   (dev by default; asan builds under the sanitizers)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-dev}
scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
export QT_QPA_PLATFORM=offscreen
ctest --preset "$preset" -j "$(nproc)"
