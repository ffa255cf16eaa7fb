#!/usr/bin/env bash
# Screenshots of the main window under Xvfb with the simulated mouse: the mouse settings page and
# the lighting page, as OUT_DIR/main_msetting.png and OUT_DIR/main_light.png.
# Usage: scripts/screenshot.sh [OUT_DIR]   (builds first; needs Xvfb, xdotool, ImageMagick)
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=$(realpath -m "${1:-screenshots}")
mkdir -p "$OUT"
XVFB_DISPLAY=:95
source scripts/xvfb_session.sh
import -window "$WID" "$OUT/main_msetting.png"
# The lighting tab (button 2004) sits at 436..569 x 103..132 of the window.
click 500 117 1
import -window "$WID" "$OUT/main_light.png"
quit_app
echo "screenshots: $OUT/main_msetting.png $OUT/main_light.png"
