#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get, starts the installed program for a few seconds
# on a virtual display as an ordinary user, checks that it keeps its files in that user's data folder
# (the program folder /usr/bin cannot be written), then purges the package:
#   scripts/deb-check.sh [build folder, default build-deb]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$here/build-deb}"
sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"

"$here/scripts/setup.sh"
echo "== Build and package"
cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVQ_BUILD_TESTS=OFF -DVQ_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"
rm -f "$dir"/varlotte-qyr_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb="$(ls "$dir"/varlotte-qyr_*.deb)"
echo "   $(basename "$deb")"
dpkg-deb --info "$deb" | grep -E "^ (Package|Version|Architecture|Depends):" | sed 's/^ /   /'

fail() { echo "FAILED: $*" >&2; exit 1; }
work="$(mktemp -d)"
xvfb=""; app=""
cleanup() {
  [ -n "$app" ] && kill -- "-$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  if dpkg-query -W -f='${Status}' varlotte-qyr 2>/dev/null | grep -q "install ok installed"; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq varlotte-qyr >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== Install"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
for f in /usr/bin/Varlotte /usr/libexec/varlotte-qyr/mj /usr/lib/varlotte-qyr/varlotte-print.so \
         /usr/share/applications/varlotte-qyr.desktop \
         /usr/share/metainfo/fr.varlotte_qyr.varlotte.metainfo.xml \
         /usr/share/icons/hicolor/256x256/apps/varlotte-qyr.png /usr/share/icons/hicolor/64x64/apps/varlotte-qyr.png; do
  [ -e "$f" ] || fail "$f is not installed"
  echo "   $f"
done
[ ! -e /usr/bin/mj ] || fail "the update installer is in /usr/bin"
grep -qx "Name=Varlotte Qyr" /usr/share/applications/varlotte-qyr.desktop || fail "desktop entry name"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/varlotte-qyr.desktop
fi

echo "== Run as an ordinary user on a virtual display"
# The check runs the program as that user; root could write /usr/bin and would keep its files there.
user="$(id -un)"; as=()
if [ "$(id -u)" -eq 0 ]; then
  user=nobody; as=("$(PATH="$PATH:/usr/sbin:/sbin" command -v runuser)" -u nobody --)
fi
home="$work/home"; mkdir -p "$home"; chown "$user" "$home"; chmod 755 "$work"
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
sleep 1
setsid "${as[@]}" env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$display" LANG=fr_FR.UTF-8 \
  DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent dbus-run-session -- /usr/bin/Varlotte >"$work/out.txt" 2>&1 & app=$!
sleep 5
kill -0 "$app" 2>/dev/null || { cat "$work/out.txt"; fail "the program ended by itself"; }
data="$home/.local/share/Varlotte"
for f in option.ini tempo.ini; do
  [ -f "$data/$f" ] || { ls -la "$home" "$data" 2>&1 || true; fail "$data/$f was not written"; }
  echo "   $data/$f"
done
[ -z "$(find /usr/bin -maxdepth 1 -iname '*.ini' -print -quit)" ] || fail "INI files appeared in /usr/bin"
kill -- "-$app"; wait "$app" 2>/dev/null || true; app=""

echo "== Purge"
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq varlotte-qyr >/dev/null
[ ! -e /usr/bin/Varlotte ] || fail "/usr/bin/Varlotte is still there"
[ ! -e /usr/libexec/varlotte-qyr ] || fail "/usr/libexec/varlotte-qyr is still there"
echo "deb check passed"
