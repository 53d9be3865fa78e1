#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need, only when some are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format clang
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev
  libcurl4-openssl-dev libssl-dev openssl libgtest-dev libgmock-dev libbenchmark-dev
  dbus dbus-x11 python3 python3-dbusmock python3-pyftpdlib
  xvfb xdotool x11-utils imagemagick trayer faketime libfaketime
  poppler-utils fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
