#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit, window and end-to-end
# tests, the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer, the format check, and
# the logic built for Windows with its tests run under Wine.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
jobs="$(nproc)"

echo "== Build (warnings are errors)"
"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVQ_WERROR=ON
echo "== Format check"
cmake --build "$here/build" --target format-check
echo "== Tests"
ctest --test-dir "$here/build" --output-on-failure -j "$jobs"

echo "== Logic tests with AddressSanitizer and UndefinedBehaviorSanitizer"
"$here/scripts/build.sh" "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DVQ_WERROR=ON -DVQ_SANITIZE=ON \
  -DVQ_BUILD_UI=OFF -DVQ_BUILD_BENCH=OFF
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
  ctest --test-dir "$here/build-asan" --output-on-failure -j "$jobs"

echo "== Windows build (MinGW-w64) and its tests under Wine"
"$here/scripts/windows-check.sh" "$here/build-windows"
