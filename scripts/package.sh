#!/usr/bin/env bash
# Builds the Debian package kzmouse_<version>_<arch>.deb into build-deb/ (no tests, no benchmarks)
# and prints its path. Install it with: sudo apt-get install ./build-deb/kzmouse_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
DIR=${KZ_BUILD_DIR:-build-deb}
KZ_BUILD_DIR=$DIR scripts/build.sh -DCMAKE_INSTALL_PREFIX=/usr -DKZ_UDEV_RULES_DIR=/usr/lib/udev/rules.d \
  -DKZ_BUILD_TESTS=OFF -DKZ_BUILD_BENCH=OFF -DCPACK_STRIP_FILES=ON >/dev/null
(cd "$DIR" && cpack -G DEB >/dev/null)
ls "$DIR"/kzmouse_*.deb
