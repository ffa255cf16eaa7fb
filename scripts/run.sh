#!/usr/bin/env bash
# Sets up, builds and starts kzMouse with the simulated mouse (and the local web service when it
# is built). Extra arguments go to kzMouse.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
BUILD_DIR=${KZ_BUILD_DIR:-build}
if [ -x "$BUILD_DIR/kz-service" ]; then
  "$BUILD_DIR/kz-service" --port "${KZ_SERVICE_PORT:-4777}" &
  SERVICE_PID=$!
  trap 'kill $SERVICE_PID 2>/dev/null || true' EXIT
  export KZMOUSE_API_BASE=${KZMOUSE_API_BASE:-http://127.0.0.1:${KZ_SERVICE_PORT:-4777}/}
fi
# The window program and `kzmousectl --simulate` then share one simulated mouse.
export KZMOUSE_SIM_STATE=${KZMOUSE_SIM_STATE:-${XDG_DATA_HOME:-$HOME/.local/share}/kzMouse/sim_mouse.state}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting kzMouse under Xvfb (screen :99)." >&2
  exec xvfb-run -n 99 -s "-screen 0 1280x1024x24" "$BUILD_DIR/kzMouse" --simulate "$@"
fi
"$BUILD_DIR/kzMouse" --simulate "$@"
