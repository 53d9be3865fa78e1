#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit, window and end-to-end
# tests, a short run of every fuzz target, the same tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer, the format check, and the logic built for Windows with its tests run
# under Wine.
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

# The tests above replay the inputs kept in tests/fuzz/regressions; each target then looks for new
# ones for a while, from those inputs alone. A broken invariant fails the command.
fuzz_seconds="${VQ_FUZZ_SECONDS:-15}"
echo "== Fuzz targets, ${fuzz_seconds}s each"
fuzz_corpus="$(mktemp -d)"
trap 'rm -rf "$fuzz_corpus"' EXIT
VQ_FUZZ_CORPUS="$fuzz_corpus" "$here/scripts/fuzz.sh" "$fuzz_seconds"

echo "== Logic tests with AddressSanitizer and UndefinedBehaviorSanitizer"
"$here/scripts/build.sh" "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DVQ_WERROR=ON -DVQ_SANITIZE=ON \
  -DVQ_BUILD_UI=OFF -DVQ_BUILD_BENCH=OFF
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
  ctest --test-dir "$here/build-asan" --output-on-failure -j "$jobs"

echo "== Windows build (MinGW-w64) and its tests under Wine"
"$here/scripts/windows-check.sh" "$here/build-windows"
