#!/usr/bin/env bash
# Renders the pages and dialogs on the offscreen platform into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build
export QT_QPA_PLATFORM=offscreen VELORANTICA_DOCS_DIR="$PWD/docs"
build/tests/gui/gui_page_snapshots_test >/dev/null
ls docs/*.png
