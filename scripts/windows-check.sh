#!/usr/bin/env bash
# Builds the Qt-free libraries, the Windows connection adapter and their unit tests for Windows with
# MinGW-w64 and runs the tests under Wine.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$here/build-windows}"

# wine64 is the 64-bit loader only; the `wine` command (the emulator named in cmake/mingw-w64.cmake)
# and `wineboot` come with the package wine.
packages=(g++-mingw-w64-x86-64 wine wine64 libgtest-dev)
need=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
missing=()
for c in x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres wine wineboot \
         wineserver; do
  command -v "$c" >/dev/null || missing+=("command $c")
done
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=("GoogleTest sources in /usr/src/googletest")
if [ ${#missing[@]} -gt 0 ]; then
  echo "windows-check.sh: missing after installing ${packages[*]}:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi

cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVQ_BUILD_UI=OFF -DVQ_BUILD_BENCH=OFF -DVQ_WERROR=ON \
  -DVQ_GTEST_SOURCE_DIR=/usr/src/googletest >/dev/null
cmake --build "$dir" -j "$(nproc)"

export WINEPREFIX="${WINEPREFIX:-$dir/wineprefix}" WINEDEBUG=-all
# The prefix is made before the tests run, once: tests started in parallel would otherwise each try to
# make it. Mono and Gecko are not needed and their installers would ask on a display.
echo "== Wine prefix $WINEPREFIX"
if ! WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >"$dir/wineboot.log" 2>&1 || ! wineserver --wait; then
  cat "$dir/wineboot.log" >&2
  echo "windows-check.sh: wineboot could not make the Wine prefix $WINEPREFIX" >&2
  exit 1
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  cat "$dir/wineboot.log" >&2
  echo "windows-check.sh: wineboot ended without making the Wine prefix $WINEPREFIX" >&2
  exit 1
fi
# Under Wine a test may rarely fail for the emulation's own timing (seen once in many runs); a test
# that fails twice in a row fails the check.
ctest --test-dir "$dir" --output-on-failure -j 2 --repeat until-pass:2
