#!/usr/bin/env bash
# Runs the README's test command on a fresh Debian 12 machine, as a new user would run it.
usage() {
  cat <<'EOF'
Usage: scripts/fresh-check.sh [--keep] [folder]

Makes a minimal Debian 12 (bookworm) root with mmdebstrap from Debian's own packages in
<folder>/root (default folder: build-fresh in the project), puts a clean clone of the
current HEAD of this checkout in it at /root/varlotte-qyr, and runs ./scripts/test.sh there
as root in a chroot (with /proc, /dev, /dev/pts, /dev/shm and a fresh /tmp), with nothing
from this machine but its DNS settings. Everything goes to <folder>/fresh-check.log; the
exit status of test.sh and the last lines of the log are shown at the end.

Only committed work is checked: uncommitted changes are not in the clone.
The root is made anew on every run and removed at the end unless --keep is given.
Needs root (chroot and mounts) and takes long (packages, three builds, every test).
The Debian mirror is http://deb.debian.org/debian unless VQ_FRESH_MIRROR names another.
EOF
}
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

keep=0
dir=""
for a in "$@"; do
  case "$a" in
    -h | --help) usage; exit 0 ;;
    --keep) keep=1 ;;
    -*) usage >&2; exit 2 ;;
    *) [ -z "$dir" ] || { usage >&2; exit 2; }; dir="$a" ;;
  esac
done
[ "$(id -u)" -eq 0 ] || { echo "fresh-check.sh: run it as root (it uses chroot and mounts)" >&2; exit 2; }
dir="$(realpath -m "${dir:-$here/build-fresh}")"
root="$dir/root"
log="$dir/fresh-check.log"
mirror="${VQ_FRESH_MIRROR:-http://deb.debian.org/debian}"
security="${VQ_FRESH_SECURITY_MIRROR:-http://deb.debian.org/debian-security}"

# Everything runs in a mount namespace of its own: the mounts below are not seen by the rest of the
# machine and vanish with the script even when it is killed.
if [ -z "${VQ_FRESH_NAMESPACE:-}" ]; then
  exec env VQ_FRESH_NAMESPACE=1 unshare --mount --propagation private -- "$here/scripts/fresh-check.sh" "$@"
fi

rev="$(git -C "$here" rev-parse HEAD)"
branch="$(git -C "$here" symbolic-ref --short -q HEAD || echo fresh-check)"

mounted=()
cleanup() {
  local status=$?
  set +e
  # Processes left in the root (a stray server of a test) would keep its mounts busy.
  local pids=() p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && pids+=("${p#/proc/}")
  done
  if [ ${#pids[@]} -gt 0 ]; then
    kill -KILL "${pids[@]}" 2>/dev/null
    sleep 1
  fi
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[$i]}" 2>/dev/null || umount -l "${mounted[$i]}"
  done
  if grep -qF " $root/" /proc/self/mountinfo; then
    echo "fresh-check.sh: something is still mounted under $root; it is left as it is" >&2
  elif [ "$keep" -eq 0 ] && [ -d "$root" ]; then
    rm -rf --one-file-system "$root"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mount_in_root() {  # mount_in_root <target inside the root> <mount arguments...>
  local target="$root$1"
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounted+=("$target")
}

if ! command -v mmdebstrap >/dev/null; then
  echo "Installing mmdebstrap"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap
fi

if [ -e "$root" ]; then
  if grep -qF " $root/" /proc/self/mountinfo; then
    echo "fresh-check.sh: $root has mounts in it; unmount them first" >&2
    exit 1
  fi
  rm -rf --one-file-system "$root"
fi
mkdir -p "$dir"
: >"$log"
say() { echo "$*" | tee -a "$log"; }

say "== Fresh Debian 12 root in $root ($(date -u '+%F %T') UTC)"
mmdebstrap --variant=minbase --components=main bookworm "$root" \
  "deb $mirror bookworm main" "deb $mirror bookworm-updates main" \
  "deb $security bookworm-security main" >>"$log" 2>&1
rm -f "$root/etc/resolv.conf"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# A chroot has no init: package scripts must not start services in it.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"

say "== Clean clone of $branch at $rev"
git clone -q --no-checkout "$here" "$root/root/varlotte-qyr" >>"$log" 2>&1
git -C "$root/root/varlotte-qyr" checkout -q -B "$branch" "$rev" >>"$log" 2>&1

mount_in_root /proc -t proc proc
mount_in_root /dev --bind /dev
mount_in_root /dev/pts --bind /dev/pts
mount_in_root /dev/shm -t tmpfs -o mode=1777,nosuid,nodev tmpfs
mount_in_root /tmp -t tmpfs -o mode=1777,nosuid,nodev tmpfs

say "== ./scripts/test.sh in the chroot ($(date -u '+%F %T') UTC)"
set +e
chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  /bin/bash -lc 'cd /root/varlotte-qyr && ./scripts/test.sh' </dev/null >>"$log" 2>&1
result=$?
set -e

say "== test.sh exited with status $result ($(date -u '+%F %T') UTC)"
echo "-- last lines of $log:"
tail -n 25 "$log"
if [ "$result" -eq 0 ]; then echo "fresh check passed"; else echo "fresh check FAILED"; fi
exit "$result"
