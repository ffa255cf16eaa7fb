#!/usr/bin/env bash
# The long form of the idle check: kzMouse --simulate (offscreen) counts a few clicks, then the
# mouse stays idle for 62 s; the database file and its -wal and -shm must not change meanwhile.
# Usage: scripts/honor-idle.sh   (KZ_BUILD_DIR: the build folder, default build). Exit 1 on a write.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=$(realpath "${KZ_BUILD_DIR:-build}")
H=$(mktemp -d)
mkdir -p "$H"/{data,state,config,run}
chmod 700 "$H/run"
export XDG_DATA_HOME=$H/data XDG_STATE_HOME=$H/state XDG_CONFIG_HOME=$H/config XDG_RUNTIME_DIR=$H/run
export KZMOUSE_SIM_STATE=$H/sim.state KZMOUSE_SIM_CONTROL=$H/control QT_QPA_PLATFORM=offscreen
"$BUILD_DIR/kzMouse" --simulate >"$H/app.log" 2>&1 &
APP=$!
trap 'kill $APP 2>/dev/null || true; rm -rf "$H"' EXIT
sleep 5
"$BUILD_DIR/kzmousectl" sim click left 100
sleep 3
before=$(ls --full-time "$H"/data/kzMouse/kzdb.mdb*)
sleep 62
after=$(ls --full-time "$H"/data/kzMouse/kzdb.mdb*)
if [ "$before" = "$after" ]; then echo "idle: no write in 62 s"; else echo "idle: the database changed" >&2; exit 1; fi
