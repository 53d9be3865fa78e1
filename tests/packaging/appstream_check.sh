#!/usr/bin/env bash
# The installed tree as software centres read it: installs the build into a fresh folder and
# validates its AppStream metainfo together with the desktop entry it names (no network), then
# checks that each screenshot is one of the README's pictures.
set -euo pipefail
build="$1" source="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix/usr" >/dev/null
metainfo="$prefix/usr/share/metainfo/fr.varlotte_qyr.varlotte.metainfo.xml"
appstreamcli validate --no-net --explain "$metainfo"
appstreamcli validate-tree --no-net --explain "$prefix"
grep -o '<image>[^<]*</image>' "$metainfo" | sed 's|.*/docs/images/\(.*\)</image>|\1|' | while read -r picture; do
  [ -f "$source/docs/images/$picture" ] || { echo "screenshot $picture is not in docs/images"; exit 1; }
  grep -q "docs/images/$picture" "$source/README.md" || { echo "screenshot $picture is not in the README"; exit 1; }
done
