#!/usr/bin/env bash
# Renders the pages and dialogs on the offscreen platform into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build
export QT_QPA_PLATFORM=offscreen VELORANTICA_DOCS_DIR="$PWD/docs"
for test in build/tests/gui/gui_*snapshots_test build/tests/gui/gui_*page_test; do
  "$test" >/dev/null
done
ls docs/*.png
