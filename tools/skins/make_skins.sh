#!/usr/bin/env bash
# Redraws the bundled skins into assets/skins/: builds draw_skins, runs it, then turns the faces
# into BMP and the button pictures into GIF with ImageMagick.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O1 -fPIC -I "$root/src" "$here/draw_skins_qt.cpp" "$root/src/skins/qt/glyphs.cpp" -o "$work/draw_skins" $(pkg-config --cflags --libs Qt6Gui)
"$work/draw_skins" "$work/out"
for skin in "$work/out"/*; do
    name="$(basename "$skin")"
    dest="$root/assets/skins/$name"
    mkdir -p "$dest"
    cp "$skin"/fichier1.ini "$skin"/fichier2.ini "$dest/"
    for n in 1 2 3; do
        convert "$skin/image$n.png" -type TrueColor "BMP3:$dest/image$n.bmp"
    done
    for png in "$skin"/image*.png; do
        n="$(basename "$png" .png)"
        case "$n" in image1|image2|image3) continue ;; esac
        convert "$png" "$dest/$n.gif"
    done
done
echo "skins written to $root/assets/skins"
