#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need, only when some are missing, makes the
# locales the tests run under, then checks that every command and Python module the scripts and tests
# call is there. (scripts/windows-check.sh installs and checks the Windows tools itself.)
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev
  libcurl4-openssl-dev libssl-dev openssl libgtest-dev libgmock-dev libbenchmark-dev
  dbus dbus-x11 python3 python3-dbus python3-dbusmock python3-pyftpdlib python3-xlib
  xvfb xdotool x11-utils imagemagick trayer faketime libfaketime
  poppler-utils fonts-dejavu-core locales appstream
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests run under French and, for one scenario, American English.
have_locale() {
  local all
  all="$(locale -a 2>/dev/null)"
  grep -qix -e "$1.utf8" -e "$1.UTF-8" <<<"$all"
}
for l in fr_FR en_US; do
  if ! have_locale "$l"; then
    echo "Generating the locale $l.UTF-8"
    $sudo localedef -i "$l" -f UTF-8 -A /usr/share/locale/locale.alias "$l.UTF-8"
  fi
done

# What the scripts and tests run, each with the package that brings it. A missing one is named here
# rather than left to fail a later stage.
commands=(
  cmake:cmake ctest:cmake cpack:cmake ninja:ninja-build g++:g++ pkg-config:pkg-config
  clang-format:clang-format clang:clang clang++:clang
  dbus-daemon:dbus dbus-run-session:dbus /usr/bin/python3:python3
  Xvfb:xvfb xdotool:xdotool xprop:x11-utils xwininfo:x11-utils xdpyinfo:x11-utils import:imagemagick
  trayer:trayer faketime:faketime pdftoppm:poppler-utils locale:libc-bin localedef:libc-bin
  runuser:util-linux setsid:util-linux dpkg-deb:dpkg openssl:openssl appstreamcli:appstream
)
modules=(dbus:python3-dbus dbusmock:python3-dbusmock pyftpdlib:python3-pyftpdlib Xlib:python3-xlib)
files=(
  /usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1:libfaketime
  /usr/lib/python3/dist-packages/dbusmock/templates/notification_daemon.py:python3-dbusmock
)
absent=()
for entry in "${commands[@]}"; do
  c="${entry%%:*}"
  PATH="$PATH:/usr/sbin:/sbin" command -v "$c" >/dev/null || absent+=("command $c (package ${entry#*:})")
done
for entry in "${modules[@]}"; do
  m="${entry%%:*}"
  if [ -x /usr/bin/python3 ] && ! /usr/bin/python3 -c "import $m" 2>/dev/null; then
    absent+=("Python module $m for /usr/bin/python3 (package ${entry#*:})")
  fi
done
for entry in "${files[@]}"; do
  [ -e "${entry%%:*}" ] || absent+=("file ${entry%%:*} (package ${entry#*:})")
done
if command -v clang >/dev/null; then
  fuzzer="$(clang -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a"
  [ -e "$fuzzer" ] || absent+=("libFuzzer $fuzzer (package libclang-rt-14-dev)")
fi
for l in fr_FR en_US; do
  have_locale "$l" || absent+=("locale $l.UTF-8 (package locales, made with localedef)")
done
if [ ${#absent[@]} -gt 0 ]; then
  echo "setup.sh: these are still missing after installing the packages:" >&2
  printf '  %s\n' "${absent[@]}" >&2
  exit 1
fi
