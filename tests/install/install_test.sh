#!/usr/bin/env bash
# Installs the build into a temporary root (DESTDIR) and checks what lands where, that the menu
# entry and the metainfo validate, and that the installed tool runs.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
BUILD=$1
ROOT=$(mktemp -d)
trap 'rm -rf "$ROOT"' EXIT
DESTDIR=$ROOT cmake --install "$BUILD" --prefix /usr >/dev/null
status=0
expect() {
  if [ -e "$ROOT$1" ]; then :; else echo "not installed: $1"; status=1; fi
}
expect /usr/bin/kzmousectl
expect /usr/share/man/man1/kzmousectl.1
expect /usr/share/bash-completion/completions/kzmousectl
expect /etc/udev/rules.d/60-kzmouse.rules
if [ -x "$BUILD/kzMouse" ]; then
  expect /usr/bin/kzMouse
  expect /usr/share/man/man1/kzMouse.1
  expect /usr/share/applications/org.kzmouse.kzMouse.desktop
  expect /usr/share/metainfo/org.kzmouse.kzMouse.metainfo.xml
  expect /usr/share/icons/hicolor/scalable/apps/kzmouse.svg
  for size in 16 22 24 32 48 64 128 256 512; do expect "/usr/share/icons/hicolor/${size}x${size}/apps/kzmouse.png"; done
  desktop-file-validate "$ROOT/usr/share/applications/org.kzmouse.kzMouse.desktop" || status=1
  appstreamcli validate --no-net "$ROOT/usr/share/metainfo/org.kzmouse.kzMouse.metainfo.xml" >/dev/null || {
    appstreamcli validate --no-net "$ROOT/usr/share/metainfo/org.kzmouse.kzMouse.metainfo.xml"; status=1; }
fi
for program in kz_update kz-service; do
  if [ -x "$BUILD/$program" ]; then expect "/usr/bin/$program"; fi
done
if [ -x "$BUILD/kz-service" ]; then expect /usr/share/man/man1/kz-service.1; fi
# Nothing but the program's own files: no test program, no header, no static library.
unexpected=$(cd "$ROOT" && find . -type f | grep -Ev '^\./usr/(bin|share/(man|applications|metainfo|icons|bash-completion))/|^\./etc/udev/rules\.d/' || true)
if [ -n "$unexpected" ]; then echo "unexpected files installed:"; echo "$unexpected"; status=1; fi
# The installed tool runs from where it was put.
HOME=$ROOT XDG_DATA_HOME=$ROOT/data XDG_STATE_HOME=$ROOT/state "$ROOT/usr/bin/kzmousectl" --help >/dev/null || {
  echo "the installed kzmousectl does not run"; status=1; }
[ "$status" -eq 0 ] && echo "installed $(cd "$ROOT" && find . -type f | wc -l) files, all in place"
exit $status
