#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for a bounded time:
#   scripts/fuzz.sh [seconds per target, default 60] [target names...]
# The build folder is build-fuzz, or VQ_FUZZ_DIR when set; the corpus grows in <build folder>/corpus, or in
# VQ_FUZZ_CORPUS when set (the test command gives a fresh one, so that each run starts from the
# regression inputs alone and its time stays bounded).
# Inputs that make a target fail are left in build-fuzz/findings/<target>/; copy them into
# tests/fuzz/regressions/<target>/ so the ordinary test run replays them.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
dir="${VQ_FUZZ_DIR:-$here/build-fuzz}"
"$here/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVQ_FUZZ=ON \
  -DVQ_BUILD_UI=OFF -DVQ_BUILD_TESTS=OFF -DVQ_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"
# Recording the call stack of every allocation, and filling each new block with garbage, are most of
# what the address sanitizer costs these targets per run; neither finds a fault. A finding's input,
# run again by its target with the default options (or replayed by the sanitized test build), gives
# the stacks back.
export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=0:max_malloc_fill_size=0}"
status=0
targets=()
if [ $# -gt 0 ]; then
  for n in "$@"; do targets+=("$dir/tests/fuzz/${n}_fuzz"); done
else
  targets=("$dir"/tests/fuzz/*_fuzz)
fi
for target in "${targets[@]}"; do
  name="$(basename "$target" _fuzz)"
  corpus="${VQ_FUZZ_CORPUS:-$dir/corpus}/$name"; findings="$dir/findings/$name"
  mkdir -p "$corpus" "$findings"
  [ -d "$here/tests/fuzz/regressions/$name" ] && cp -n "$here/tests/fuzz/regressions/$name"/* "$corpus"/ 2>/dev/null || true
  echo "== $name for ${seconds}s"
  # The engine's search for rare coverage features is linear in how many it keeps, and it keeps every
  # feature seen fewer times than the threshold: for targets that cover much code, the default (255)
  # makes that bookkeeping cost more than running the input. 16 keeps the rare set small.
  # One process per corpus: nothing else adds to it, so it is not listed and read again every second
  # (which runs each input found since once more).
  if ! "$target" "$corpus" -max_total_time="$seconds" -max_len=4096 -artifact_prefix="$findings/" \
       -entropic_feature_frequency_threshold=16 -reload=0 -print_final_stats=1 2>"$dir/$name.log"; then
    status=1
    echo "   FAILED: see $dir/$name.log and $findings/"
  fi
  grep -E "^Done [0-9]+ runs|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb" \
    "$dir/$name.log" | sed 's/^/   /' || true
done
exit $status
