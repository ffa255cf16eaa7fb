#!/usr/bin/env bash
# The achievements end to end under Xvfb: kzMouse --simulate driven through its control FIFO
# (KZMOUSE_SIM_CONTROL) by kzmousectl sim, 10000 left clicks until the honor check grants
# "百战天虫", the honor page on the click category, travel reports, the statistics page, and
# kzmousectl stats --json. Writes OUT_DIR/honor_page.png, statistics_page.png and stats.json.
# Usage: scripts/honor-demo.sh [OUT_DIR]   (KZ_BUILD_DIR: the build folder, default build;
# KZ_DISPLAY: the Xvfb display, default :71). Takes about 40 s: the honor check runs every 30 s.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=$(realpath -m "${1:-/tmp/honor-shots}")
BUILD_DIR=$(realpath "${KZ_BUILD_DIR:-build}")
DISPLAY_NUMBER=${KZ_DISPLAY:-:71}
mkdir -p "$OUT"
for tool in xdotool import Xvfb; do command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }; done

HOME_DIR=$(mktemp -d)
mkdir -p "$HOME_DIR"/{data,state,config,run}
chmod 700 "$HOME_DIR/run"
export XDG_DATA_HOME=$HOME_DIR/data XDG_STATE_HOME=$HOME_DIR/state XDG_CONFIG_HOME=$HOME_DIR/config
export XDG_RUNTIME_DIR=$HOME_DIR/run KZMOUSE_SIM_STATE=$HOME_DIR/sim.state KZMOUSE_SIM_CONTROL=$HOME_DIR/control
Xvfb "$DISPLAY_NUMBER" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
APP=
trap 'if [ -n "$APP" ]; then kill $APP 2>/dev/null || true; fi; kill $XVFB 2>/dev/null || true; rm -rf "$HOME_DIR"' EXIT
export DISPLAY=$DISPLAY_NUMBER
sleep 1
"$BUILD_DIR/kzMouse" --simulate &
APP=$!
ctl() { "$BUILD_DIR/kzmousectl" "$@"; }
stat_of() { ctl stats --json | python3 -c "import json,sys; print(json.load(sys.stdin)$1)"; }
wait_until() {  # CONDITION-COMMAND SECONDS
  for _ in $(seq 1 $(($2 * 2))); do if eval "$1"; then return 0; fi; sleep 0.5; done
  echo "timed out: $1" >&2; return 1
}
wait_until '[ -p "$KZMOUSE_SIM_CONTROL" ] && xdotool search --name "^KZ Mouse$" >/dev/null' 10
sleep 2  # the reader starts on the first tick of the device timer
WID=$(xdotool search --name "^KZ Mouse$" | head -n 1)
xdotool windowmove "$WID" 0 0
sleep 0.5

ctl sim click left 10000
wait_until '[ "$(stat_of "[\"mouse_left\"]")" -ge 10000 ]' 60
echo "counted: $(stat_of '["clicks_total"]') clicks; waiting for the 30-second honor check"
wait_until '[ "$(stat_of "[\"honors\"]")" != "[]" ]' 40

# Tab 2005 (574..708 x 103..132), then category button 5003 on the page at (148, 187).
xdotool mousemove --window "$WID" 640 117 click 1
sleep 0.5
xdotool mousemove --window "$WID" $((148 + 90)) $((187 + 146 + 2 * 34 + 16)) click 1
sleep 0.5
import -window root "$OUT/honor_page.png"

ctl sim move 1000000
wait_until '[ "$(stat_of "[\"move_distance\"]")" -gt 1000 ]' 30
# The honor page's button 5000 (188..305 x 17..40) shows the statistics page.
xdotool mousemove --window "$WID" $((148 + 246)) $((187 + 28)) click 1
sleep 2.5  # timer 3 refreshes the numbers every 2 s
import -window root "$OUT/statistics_page.png"
ctl stats --json | tee "$OUT/stats.json"

kill -TERM $APP
wait $APP || true
APP=
echo "screenshots: $OUT/honor_page.png $OUT/statistics_page.png"
