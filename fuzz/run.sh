#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each one in turn for SECONDS (default 60).
#   fuzz/run.sh [SECONDS]
# Environment: KZ_FUZZ_BUILD_DIR (default /tmp/b/fuzz), KZ_FUZZ_TARGETS (default all, blank-separated),
# KZ_FUZZ_JOBS (build jobs, default 2).
# Each target starts from a copy of fuzz/corpus/<target>, so what the fuzzer adds never lands in the
# repository. Exits non-zero when a target fails; the work folder with the failing input is kept.
set -u

seconds=${1:-60}
case "$seconds" in '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;; esac

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
build_dir=${KZ_FUZZ_BUILD_DIR:-/tmp/b/fuzz}
targets=${KZ_FUZZ_TARGETS:-fuzz_status_report fuzz_command_text fuzz_macro_value fuzz_sim_state fuzz_identifier fuzz_api_reply fuzz_sync_document fuzz_manifest fuzz_firmware_image fuzz_unzip}

CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build_dir" -G Ninja -DKZ_FUZZ=ON -DKZ_BUILD_GUI=OFF \
  -DKZ_BUILD_TESTS=OFF -DKZ_BUILD_BENCH=OFF >/dev/null || exit 1
# shellcheck disable=SC2086  # the list is meant to split
cmake --build "$build_dir" -j "${KZ_FUZZ_JOBS:-2}" --target $targets || exit 1

work=$(mktemp -d /tmp/kz-fuzz.XXXXXX)
# Leaks are real faults too; the rest of the sanitizer settings come from the build.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for target in $targets; do
  corpus="$work/$target/corpus"
  artifacts="$work/$target/artifacts/"
  mkdir -p "$corpus" "$artifacts"
  if [ -d "$here/corpus/$target" ]; then cp -r "$here/corpus/$target/." "$corpus/"; fi
  log="$work/$target/log"
  echo "== $target: ${seconds}s"
  # -timeout: one input taking seconds is a hang, not a slow machine.
  "$build_dir/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
  echo "   runs ${runs:-?}, ${speed:-?} exec/s, ${cov:-cov: ?}, corpus $(find "$corpus" -type f | wc -l) files"
  if [ "$rc" -ne 0 ]; then
    echo "   FAILED (exit $rc); log: $log" >&2
    grep -m 1 -E 'ERROR: |runtime error|invariant broken' "$log" >&2
    ls "$artifacts" >&2
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "failed: ${failed[*]} (work folder kept: $work)" >&2
  exit 1
fi
rm -rf "$work"
echo "all targets ran ${seconds}s without a fault"
