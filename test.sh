#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test: the Linux build's
# tests, then the core's tests built for Windows and run under Wine
# (scripts/wine-tests.sh installs mingw-w64 and Wine when they are missing).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j "$(nproc)")
./scripts/wine-tests.sh
