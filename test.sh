#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test: the Linux build's
# tests, then, when Wine is installed, the core's tests built for Windows.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j "$(nproc)")
if command -v wine >/dev/null; then
  ./scripts/wine-tests.sh
else
  echo "Wine is not installed: the Windows builds are not tested (scripts/wine-tests.sh installs it)"
fi
