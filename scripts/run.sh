#!/usr/bin/env bash
# Sets up, builds and starts kzMouse with the simulated mouse (and the local web service when it
# is built). Extra arguments go to kzMouse.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
BUILD_DIR=${KZ_BUILD_DIR:-build}
if [ -x "$BUILD_DIR/kz-service" ]; then
  # The local web service: its data beside the run's kzMouse data, its log in the state folder,
  # the update server on the folder "updates" of its data (KZ_UPDATES_DIR to serve another).
  SERVICE_PORT=${KZ_SERVICE_PORT:-4777}
  UPDATE_PORT=${KZ_UPDATE_PORT:-4778}
  SERVICE_DATA=${XDG_DATA_HOME:-$HOME/.local/share}/kz-service
  SERVICE_STATE=${XDG_STATE_HOME:-$HOME/.local/state}/kz-service
  UPDATES_DIR=${KZ_UPDATES_DIR:-$SERVICE_DATA/updates}
  mkdir -p -m 0700 "$SERVICE_DATA" "$SERVICE_STATE"
  mkdir -p "$UPDATES_DIR"
  SERVICE_LOG=$SERVICE_STATE/kz-service.log
  LOG_START=$(stat -c %s "$SERVICE_LOG" 2>/dev/null || echo 0)
  "$BUILD_DIR/kz-service" --db "$SERVICE_DATA/kz-service.db" --listen "127.0.0.1:$SERVICE_PORT" \
    --updates "$UPDATES_DIR" --update-listen "127.0.0.1:$UPDATE_PORT" >>"$SERVICE_LOG" 2>&1 &
  SERVICE_PID=$!
  # Stopped with SIGTERM (a clean stop) whichever way this script ends.
  trap 'kill -TERM $SERVICE_PID 2>/dev/null && wait $SERVICE_PID 2>/dev/null || true' EXIT
  for _ in $(seq 50); do
    if tail -c +"$((LOG_START + 1))" "$SERVICE_LOG" 2>/dev/null | grep -q '^listening on '; then break; fi
    if ! kill -0 "$SERVICE_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  # The addresses it printed (so KZ_SERVICE_PORT=0, any free port, works too).
  SERVICE_URL=$(tail -c +"$((LOG_START + 1))" "$SERVICE_LOG" 2>/dev/null | sed -n 's/^listening on //p' | head -n 1)
  UPDATE_HOSTPORT=$(tail -c +"$((LOG_START + 1))" "$SERVICE_LOG" 2>/dev/null |
    sed -n 's|^update server on http://\([^/]*\)/.*|\1|p' | head -n 1)
  if [ -n "$SERVICE_URL" ] && kill -0 "$SERVICE_PID" 2>/dev/null; then
    echo "kz-service on $SERVICE_URL, updates on $UPDATE_HOSTPORT from $UPDATES_DIR (log: $SERVICE_LOG)" >&2
    export KZMOUSE_API_BASE=${KZMOUSE_API_BASE:-$SERVICE_URL}
    export KZMOUSE_UPDATE_HOST=${KZMOUSE_UPDATE_HOST:-$UPDATE_HOSTPORT}
  else
    echo "kz-service did not start (see $SERVICE_LOG); kzMouse runs without it." >&2
  fi
fi
# The window program and `kzmousectl --simulate` then share one simulated mouse.
export KZMOUSE_SIM_STATE=${KZMOUSE_SIM_STATE:-${XDG_DATA_HOME:-$HOME/.local/share}/kzMouse/sim_mouse.state}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting kzMouse under Xvfb (screen :99)." >&2
  # Not exec: the trap above still has to stop the service when kzMouse ends.
  xvfb-run -n 99 -s "-screen 0 1280x1024x24" "$BUILD_DIR/kzMouse" --simulate "$@"
  exit $?
fi
"$BUILD_DIR/kzMouse" --simulate "$@"
