#!/usr/bin/env bash
# The whole suite again, built in ./build-asan with AddressSanitizer and
# UndefinedBehaviorSanitizer (a fault ends the program that meets it, so its
# test fails), then every fuzz target for a bounded time each.
#
# Built with clang when it is installed (the fuzz targets need its libFuzzer;
# this also keeps the tree building with clang), else with GCC and no fuzzing.
#   VELMAR_FUZZ_SECONDS  seconds per fuzz target (default 20; 0 skips fuzzing)
# Further arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
fuzz=OFF
# GCC's sanitizer builds warn where its normal builds do not; the normal
# build already holds product code to no warnings.
werror=OFF
if command -v clang++ >/dev/null 2>&1 && command -v clang >/dev/null 2>&1; then
  export CC=clang CXX=clang++
  fuzz=ON
  werror=ON
fi
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMAR_SANITIZER=address,undefined \
  -DVELMAR_FUZZ=$fuzz -DVELMAR_WERROR=$werror -DVELMAR_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
export VELMAR_HOME="$(mktemp -d)"
trap 'rm -rf "$VELMAR_HOME"' EXIT
(cd build-asan && dbus-run-session -- ctest --output-on-failure -j "$(nproc)" "$@")

seconds=${VELMAR_FUZZ_SECONDS:-20}
if [ "$seconds" -gt 0 ]; then
  scripts/fuzz.sh build-asan "$seconds"
fi
