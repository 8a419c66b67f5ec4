#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test: the Linux build's
# tests, then the Windows programs' build (scripts/build-windows.sh: both
# architectures, system DLLs only), then the core's tests built for Windows
# and velorantica-cli.exe, run under Wine (scripts/wine-tests.sh installs
# mingw-w64 and Wine when they are missing).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j "$(nproc)")
./scripts/build-windows.sh
./scripts/wine-tests.sh
