#!/usr/bin/env bash
# Sets up, builds and runs every test. With --sanitizers it also builds and runs the tests under
# AddressSanitizer and ThreadSanitizer (separate build folders).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
BUILD_DIR=${KZ_BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" --timeout 300
if [ "${1:-}" = "--sanitizers" ]; then
  for kind in ASAN TSAN; do
    dir="$BUILD_DIR-$(echo "$kind" | tr 'A-Z' 'a-z')"
    KZ_BUILD_DIR=$dir scripts/build.sh -DKZ_$kind=ON -DKZ_BUILD_BENCH=OFF
    ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 600
  done
fi
