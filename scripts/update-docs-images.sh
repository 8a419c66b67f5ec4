#!/usr/bin/env bash
# Renders the pages and dialogs on the offscreen platform into docs/, then,
# where Wine and Xvfb are installed, the window's five pages under Wine as
# docs/windows_<page>.png (scripts/wine-tests.sh --docs).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build
export QT_QPA_PLATFORM=offscreen VELORANTICA_DOCS_DIR="$PWD/docs"
build/tests/gui/gui_page_snapshots_test >/dev/null
ls docs/*.png
if command -v wine >/dev/null && command -v Xvfb >/dev/null; then
  scripts/wine-tests.sh --docs docs
else
  echo "docs/windows_*.png left as they are: they need Wine and Xvfb" >&2
fi
