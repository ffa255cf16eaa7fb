#!/usr/bin/env bash
# The tray as a user drives it, under Xvfb with an X11 tray and the simulated mouse: profile 3
# (stored beforehand with other DPI levels and a red light 1) chosen in the tray icon's menu; the
# simulated mouse's trace must then hold profile 3's commands. Screenshot of the open menu to
# OUT_DIR/tray_menu.png.
# Usage: scripts/tray_walk.sh [OUT_DIR]   (builds first; needs Xvfb, xdotool, ImageMagick, trayer)
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=$(realpath -m "${1:-screenshots}")
mkdir -p "$OUT"
XVFB_DISPLAY=:90
XVFB_TRAY=1
BEFORE_START='"$BUILD_DIR/kzmousectl" profile set 3 --dpi 400,800,1200,1600 --light1 rgb=ff0000 >/dev/null'
source scripts/xvfb_session.sh
FAILED=0
# The icon's window: the program's class, a tray icon's size (the others are 1 x 1 helpers or the
# main window); the tray may take a moment to embed it.
ICON=""
for _ in $(seq 20); do
  for w in $(xdotool search --classname "^kzMouse$"); do
    size=$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    if [ "${size:-0}" -gt 4 ] && [ "${size:-0}" -lt 100 ]; then ICON=$w; fi
  done
  if [ -n "$ICON" ]; then break; fi
  sleep 0.5
done
if [ -z "$ICON" ]; then echo "no tray icon appeared" >&2; exit 1; fi
: > "$HOME_DIR/trace.txt"
# The menu: "打开", then the five profiles; the fourth entry is "配置 3".
xdotool mousemove --window "$ICON" 10 15 click 3
sleep 1
keys Down Down Down Down
shot "$OUT/tray_menu.png"
keys Return
sleep 2
expect_trace "03 10 04 01 08 10 18 20"
expect_trace "03 09 11 FF 00 00 00 FF 91 00 00"
quit_app
echo "screenshot: $OUT/tray_menu.png"
exit $FAILED
