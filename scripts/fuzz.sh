#!/usr/bin/env bash
# Runs every libFuzzer program of a fuzz build for a bounded time each,
# starting from its seeds. An input that breaks a reader is copied to
# tests/fuzz/regressions/<target>/ (run by the <target>_inputs test from then
# on) and the script fails.
#
#   scripts/fuzz.sh [build folder, default build-asan] [seconds each, default 20]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
seconds=${2:-20}
if ! ls "$build"/fuzz/*.seeds >/dev/null 2>&1; then
  echo "fuzz.sh: no fuzz programs in $build (configure with clang and -DVELMAR_FUZZ=ON); skipped"
  exit 0
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen VELMAR_BIN_DIR="$PWD/$build/bin" VELMAR_NMEA_CLOCK_SET=off VELMAR_PROGRAM_START=off
failed=0
for list in "$build"/fuzz/*.seeds; do
  name=$(basename "$list" .seeds)
  work=$(mktemp -d)
  corpus="$work/corpus"
  mkdir -p "$corpus" "$work/found"
  while IFS= read -r seed; do
    [ -z "$seed" ] && continue
    if [ -d "$seed" ]; then cp -r "$seed"/. "$corpus"/; elif [ -f "$seed" ]; then cp "$seed" "$corpus"/; fi
  done < "$list"
  [ -d "tests/fuzz/regressions/$name" ] && cp -r "tests/fuzz/regressions/$name"/. "$corpus"/
  echo "== $name: $seconds s"
  # -timeout: one input that takes this long is a hang worth keeping too.
  if ! "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$work/found/" "$corpus" > "$work/log" 2>&1; then
    failed=1
    mkdir -p "tests/fuzz/regressions/$name"
    cp "$work"/found/* "tests/fuzz/regressions/$name"/ 2>/dev/null
    tail -40 "$work/log"
    echo "== $name FAILED: input kept in tests/fuzz/regressions/$name"
  else
    grep -E "^stat::number_of_executed_units|^Done" "$work/log" | tr '\n' ' '
    echo
  fi
  rm -rf "$work"
done
exit $failed
