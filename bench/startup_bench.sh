#!/usr/bin/env bash
# Start-up benchmark of the window program: time from exec to the main window being mapped on an
# X server, and its resident memory two seconds later, each the median of N runs (default 7).
# Every run starts with fresh XDG folders (first start: the database is created) unless --warm,
# which reuses one set of folders so only the first run creates the database.
# Usage: bench/startup_bench.sh [BUILD_DIR] [RUNS] [--warm]; needs Xvfb, xwininfo (x11-utils).
set -euo pipefail
BUILD_DIR=${1:-build}
RUNS=${2:-7}
WARM=${3:-}
PROGRAM=$(realpath "$BUILD_DIR/kzMouse")
[ -x "$PROGRAM" ] || { echo "no kzMouse in $BUILD_DIR" >&2; exit 1; }

DISPLAY_NUMBER=97
Xvfb ":$DISPLAY_NUMBER" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
ROOT=$(mktemp -d)
trap 'kill $XVFB_PID 2>/dev/null; rm -rf "$ROOT"' EXIT
export DISPLAY=":$DISPLAY_NUMBER"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

times=() rss=()
for run in $(seq "$RUNS"); do
  home="$ROOT/run$run"
  [ "$WARM" = "--warm" ] && home="$ROOT/warm"
  mkdir -p "$home"/{data,state,config,run}
  chmod 700 "$home/run"
  start=$(now_ms)
  XDG_DATA_HOME="$home/data" XDG_STATE_HOME="$home/state" XDG_CONFIG_HOME="$home/config" \
    XDG_RUNTIME_DIR="$home/run" KZMOUSE_SIM_STATE="$home/sim.state" "$PROGRAM" --simulate >>"$home/out.txt" 2>&1 &
  pid=$!
  shown=""
  for _ in $(seq 2000); do
    if xwininfo -name "KZ Mouse" 2>/dev/null | grep -q "IsViewable"; then shown=$(now_ms); break; fi
    sleep 0.005
  done
  [ -n "$shown" ] || { echo "run $run: the window never showed" >&2; cat "$home/out.txt" >&2; kill "$pid"; exit 1; }
  times+=($((shown - start)))
  sleep 2
  rss+=($(awk '/VmRSS/ {print $2}' "/proc/$pid/status"))
  kill -TERM "$pid"
  wait "$pid" || true
done
echo "runs: $RUNS${WARM:+ (warm)}"
echo "exec to window shown, ms: ${times[*]}  median $(printf '%s\n' "${times[@]}" | median)"
echo "resident memory after start, KiB: ${rss[*]}  median $(printf '%s\n' "${rss[@]}" | median)"
