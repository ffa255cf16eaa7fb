# Sourced by the scripts that drive kzMouse under Xvfb: installs the tools they need, builds, and
# starts the program with the simulated mouse in private folders on display XVFB_DISPLAY.
# Sets APP (its pid), WID (its main window), HOME_DIR and BUILD_DIR; everything stops on exit.
# XVFB_TRAY=1 starts an X11 tray (trayer) first, so that the program's tray icon shows.
TOOLS="xdotool:xdotool import:imagemagick Xvfb:xvfb"
[ "${XVFB_TRAY:-0}" = 1 ] && TOOLS="$TOOLS trayer:trayer"
for tool in $TOOLS; do
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
Xvfb "${XVFB_DISPLAY:-:95}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
APP=""
TRAYER=""
trap 'kill $APP $TRAYER $XVFB 2>/dev/null || true; rm -rf "$HOME_DIR"' EXIT
export DISPLAY=${XVFB_DISPLAY:-:95}
export XDG_DATA_HOME=$HOME_DIR/data XDG_STATE_HOME=$HOME_DIR/state XDG_CONFIG_HOME=$HOME_DIR/config \
  XDG_RUNTIME_DIR=$HOME_DIR/run KZMOUSE_SIM_STATE=$HOME_DIR/sim.state KZMOUSE_SIM_TRACE=$HOME_DIR/trace.txt
sleep 1
if [ "${XVFB_TRAY:-0}" = 1 ]; then
  trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 >/dev/null 2>&1 &
  TRAYER=$!
  sleep 1
fi
[ -z "${BEFORE_START:-}" ] || eval "$BEFORE_START"
"$BUILD_DIR/kzMouse" --simulate &
APP=$!
sleep 3  # the first page shows after half a second, the mouse's state after one
WID=$(xdotool search --name "^KZ Mouse$" | head -n 1)

# click X Y: a left click at X, Y of the main window.
click() { xdotool mousemove --window "$WID" "$1" "$2" click 1; sleep "${3:-0.7}"; }
# click_in WINDOW X Y: a left click inside another window (a dialog).
click_in() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep "${4:-0.7}"; }
keys() { xdotool key --delay 120 "$@"; sleep 0.7; }
shot() { import -window root "$1"; }
# expect_trace TEXT: the simulated mouse received this command.
expect_trace() {
  if grep -qxF "$1" "$HOME_DIR/trace.txt"; then echo "trace holds: $1"
  else echo "MISSING from the trace: $1" >&2; FAILED=1; fi
}
quit_app() { kill -TERM "$APP"; wait "$APP" || true; APP=""; }
