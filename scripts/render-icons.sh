#!/usr/bin/env bash
# Renders the program's icon (src/gui/res/velorantica.svg) to the PNG sizes
# the desktop and the window use (src/gui/res/icons/velorantica-N.png).
# Needs rsvg-convert (Debian package librsvg2-bin); the PNGs are committed.
set -euo pipefail
cd "$(dirname "$0")/../src/gui/res"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" velorantica.svg -o "icons/velorantica-$size.png"
done
