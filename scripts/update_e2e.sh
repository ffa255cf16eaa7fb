#!/usr/bin/env bash
# The whole update on loopback, under Xvfb: kz-service --updates serves a manifest (made with
# update_manifest.sh, hashes included), a firmware image and a zip made here; kzMouse --simulate
# runs from a temporary program folder (copies of the built programs), its update check is pressed
# on the support page, and then:
#   - the simulated mouse's trace holds the flash sequence once, kz_global.hard_ver is the
#     manifest's firmware version;
#   - kzMouse ends with exit code 1 after extracting the archive into "Update";
#   - kz_update copies the files into the program folder, deletes "Update" and starts the new
#     kzMouse (a stand-in script of the archive that leaves a mark).
# Usage: scripts/update_e2e.sh [SHOT_DIR]   (KZ_BUILD_DIR, default build; KZ_E2E_DISPLAY, default :73)
# With SHOT_DIR the support page and kz_update's window are captured there. Exits 0 on success,
# 1 on a failed check; skips (exit 0, "SKIP: ...") when kz-service is not built.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=$(realpath -m "${KZ_BUILD_DIR:-build}")
DISPLAY_NAME=${KZ_E2E_DISPLAY:-:73}
SHOTS=${1:-}
[ -n "$SHOTS" ] && mkdir -p "$SHOTS" && SHOTS=$(realpath "$SHOTS")
for program in kzMouse kz_update kzmousectl; do
  [ -x "$BUILD_DIR/$program" ] || { echo "update_e2e: $BUILD_DIR/$program is not built" >&2; exit 1; }
done
if [ ! -x "$BUILD_DIR/kz-service" ]; then
  echo "SKIP: kz-service is not built in $BUILD_DIR (build the kz-service target)"
  exit 0
fi
for tool in Xvfb xdotool python3; do
  command -v "$tool" >/dev/null || { echo "update_e2e: $tool is missing" >&2; exit 1; }
done

W=$(mktemp -d /tmp/kz-update-e2e.XXXXXX)
mkdir -p "$W"/{data,state,config,run,prog,updates}
chmod 700 "$W/run"
cp "$BUILD_DIR/kzMouse" "$BUILD_DIR/kz_update" "$W/prog/"
PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  [ "${KEEP:-0}" = 1 ] || rm -rf "$W"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; KEEP=1; echo "work folder kept: $W" >&2; exit 1; }

# The image: 200 records, the last one writing the version byte 0x15 ("1.5") at 0xFDFF.
RECORDS=201
python3 - "$W/updates/fw15.bin" <<'PY'
import sys
lines = ["S113%04X00112233445566778899AABBCCDDEEFF00" % (0xE800 + i * 16) for i in range(200)]
lines.append("S104FDFF1500")
open(sys.argv[1], "w", newline="").write("\r\n".join(lines) + "\r\n")
PY
# The archive: a new "kzMouse" (a stand-in that leaves a mark) in a subfolder, flattened when
# extracted, and a plain file.
python3 - "$W/updates/kz118.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    info = zipfile.ZipInfo("bin/kzMouse")
    info.create_system = 3
    info.external_attr = 0o100755 << 16
    z.writestr(info, '#!/bin/sh\necho "new kzMouse $*" > "$KZ_E2E_MARK"\n')
    z.writestr("docs/", "")
    z.writestr("docs/readme.txt", "kzMouse 1.18\n")
PY

"$BUILD_DIR/kz-service" --db "$W/service.db" --listen 127.0.0.1:0 --updates "$W/updates" \
  --update-listen 127.0.0.1:0 --hash-iterations 1000 >"$W/service.out" 2>"$W/service.err" &
PIDS+=($!)
PORT=
for _ in $(seq 100); do
  PORT=$(sed -n 's|^update server on http://127.0.0.1:\([0-9]*\).*|\1|p' "$W/service.out")
  [ -n "$PORT" ] && break
  sleep 0.1
done
[ -n "$PORT" ] || fail "kz-service did not start: $(cat "$W/service.err")"
scripts/update_manifest.sh "$W/updates" "http://127.0.0.1:$PORT/" 1.18 kz118.zip 1.5 fw15.bin >/dev/null

export XDG_DATA_HOME=$W/data XDG_STATE_HOME=$W/state XDG_CONFIG_HOME=$W/config XDG_RUNTIME_DIR=$W/run
export KZMOUSE_UPDATE_HOST=127.0.0.1:$PORT KZMOUSE_SIM_TRACE=$W/trace KZMOUSE_SIM_STATE=$W/sim.state
export KZ_E2E_MARK=$W/started
echo "== kzmousectl update check --json (before)"
"$BUILD_DIR/kzmousectl" update check --json || fail "update check failed"

Xvfb "$DISPLAY_NAME" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
export DISPLAY=$DISPLAY_NAME QT_QPA_PLATFORM=xcb
sleep 1
"$W/prog/kzMouse" --simulate >"$W/kzMouse.out" 2>&1 &
APP=$!
WID=
for _ in $(seq 100); do
  WID=$(xdotool search --name "^KZ Mouse$" 2>/dev/null | head -n 1)
  [ -n "$WID" ] && break
  sleep 0.1
done
[ -n "$WID" ] || fail "the kzMouse window did not show"
sleep 1.5
# Tab 2006 (712..847 x 103..132), then 5001 (132..278 x 395..437 of the page at 148, 187).
xdotool mousemove --window "$WID" 780 117 click 1
sleep 1
[ -n "$SHOTS" ] && import -window root "$SHOTS/e2e_support_page.png"
xdotool mousemove --window "$WID" 353 603 click 1

for _ in $(seq 300); do
  [ -e "$W/started" ] && break
  UPD=$(xdotool search --name "^kz_update$" 2>/dev/null | head -n 1)
  if [ -n "$SHOTS" ] && [ -n "$UPD" ] && [ ! -e "$SHOTS/e2e_kz_update.png" ]; then
    import -window root "$SHOTS/e2e_kz_update.png"
  fi
  sleep 0.1
done
wait "$APP"
CODE=$?

echo "== checks"
[ "$CODE" = 1 ] || fail "kzMouse ended with $CODE, not 1"
[ -e "$W/started" ] || fail "the new kzMouse was not started"
[ "$(grep -c '^03 58 02$' "$W/trace")" = 1 ] || fail "the start command is not in the trace exactly once"
[ "$(grep -c '^03 58 01$' "$W/trace")" = 1 ] || fail "the end command is not in the trace exactly once"
[ "$(grep -c '^03 58 04 01 ' "$W/trace")" = 11 ] || fail "the trace does not hold the eleven blocks"
[ "$(grep -c '^03 58 03 ' "$W/trace")" = "$RECORDS" ] || fail "the trace does not hold the $RECORDS records"
HARD=$(python3 -c 'import sqlite3,sys; print(sqlite3.connect(sys.argv[1]).execute("select hard_ver from kz_global").fetchone()[0])' "$W/data/kzMouse/kzdb.mdb")
[ "$HARD" = 1.5 ] || fail "kz_global.hard_ver is $HARD"
[ ! -e "$W/data/kzMouse/Update" ] || fail "the Update folder is still there"
grep -q 'new kzMouse' "$W/prog/kzMouse" || fail "the program folder's kzMouse was not replaced"
[ -x "$W/prog/kzMouse" ] || fail "the new kzMouse lost its execute bit"
[ "$(cat "$W/prog/readme.txt")" = "kzMouse 1.18" ] || fail "readme.txt was not copied flat"
[ ! -e "$W/data/kzMouse/down/kz118.zip" ] && [ ! -e "$W/data/kzMouse/down/fw15.bin" ] || fail "downloads were left"
echo "trace: $(grep -c . "$W/trace") commands, flash sequence once; hard_ver $HARD; kzMouse exit $CODE"
echo "program folder: $(cd "$W/prog" && ls | tr '\n' ' ')"
echo "== kzmousectl update check --json (after)"
"$BUILD_DIR/kzmousectl" update check --json
echo "PASS"
