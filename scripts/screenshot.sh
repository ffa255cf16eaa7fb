#!/usr/bin/env bash
# Screenshots of the main window under Xvfb with the simulated mouse: the mouse settings page and
# the lighting page, as OUT_DIR/main_msetting.png and OUT_DIR/main_light.png.
# Usage: scripts/screenshot.sh [OUT_DIR]   (builds first; needs Xvfb, xdotool, ImageMagick)
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=$(realpath -m "${1:-screenshots}")
mkdir -p "$OUT"
for tool in xdotool:xdotool import:imagemagick Xvfb:xvfb; do
  command -v "${tool%%:*}" >/dev/null || NEED="${NEED:-} ${tool##*:}"
done
if [ -n "${NEED:-}" ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get install -y -qq --no-install-recommends $NEED
fi
scripts/build.sh >/dev/null
BUILD_DIR=${KZ_BUILD_DIR:-build}

HOME_DIR=$(mktemp -d)
mkdir -p "$HOME_DIR"/{data,state,config,run}
chmod 700 "$HOME_DIR/run"
Xvfb :95 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $APP $XVFB 2>/dev/null || true; rm -rf "$HOME_DIR"' EXIT
export DISPLAY=:95
sleep 1
XDG_DATA_HOME=$HOME_DIR/data XDG_STATE_HOME=$HOME_DIR/state XDG_CONFIG_HOME=$HOME_DIR/config \
  XDG_RUNTIME_DIR=$HOME_DIR/run KZMOUSE_SIM_STATE=$HOME_DIR/sim.state "$BUILD_DIR/kzMouse" --simulate &
APP=$!
sleep 3  # the first page shows after half a second, the mouse's state after one
WID=$(xdotool search --name "^KZ Mouse$" | head -n 1)
import -window "$WID" "$OUT/main_msetting.png"
# The lighting tab (button 2004) sits at 436..569 x 103..132 of the window.
xdotool mousemove --window "$WID" 500 117 click 1
sleep 1
import -window "$WID" "$OUT/main_light.png"
kill -TERM $APP
wait $APP || true
echo "screenshots: $OUT/main_msetting.png $OUT/main_light.png"
