#!/usr/bin/env bash
# Configures and builds into ${KZ_BUILD_DIR:-build} (extra CMake arguments pass through).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KZ_BUILD_DIR:-build}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
if [ ! -f "$BUILD_DIR/build.ninja" ] || [ "$#" -gt 0 ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
