#!/usr/bin/env bash
# The publisher's tool for trusted updates (docs/releasing.md says how to use and keep the key).
#   scripts/sign-release.sh new-key KEY-FOLDER [--no-passphrase]
#       Makes an Ed25519 key pair: KEY-FOLDER/publisher.key, the private key, readable by you only and
#       encrypted with a passphrase that openssl asks for (--no-passphrase: a throw-away key, for
#       tests), and KEY-FOLDER/publisher.pub.hex, the public key as src/shell/mj/publisher_key.h spells
#       it. Prints the public key.
#   scripts/sign-release.sh sign PRIVATE-KEY VERSION EXECUTABLE [VERSION-FILE]
#       Writes the version file (default: maj.txt in the current folder) that offers EXECUTABLE as
#       VERSION: the version number, the executable's SHA-256 and the signature of both, one a line.
#       The executable is published under its own file name (Varlotte, or Varlotte.exe).
#   scripts/sign-release.sh public-key PRIVATE-KEY
#       Prints the public key of a private key.
set -euo pipefail

hex() { od -An -v -tx1 | tr -d ' \n'; }
public_key() { openssl pkey -in "$1" -pubout -outform DER | tail -c 32 | hex; }
usage() { sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

case "${1:-}" in
  new-key)
    [ $# -ge 2 ] || usage
    folder="$2"
    mkdir -p "$folder"
    key="$folder/publisher.key"
    [ ! -e "$key" ] || { echo "$key exists; remove it first if you really mean to replace it" >&2; exit 1; }
    umask 077
    if [ "${3:-}" = "--no-passphrase" ]; then
      openssl genpkey -algorithm ed25519 -out "$key"
    else
      openssl genpkey -algorithm ed25519 -aes-256-cbc -out "$key"
    fi
    public_key "$key" >"$folder/publisher.pub.hex"
    cat "$folder/publisher.pub.hex"; echo
    ;;
  sign)
    [ $# -ge 4 ] || usage
    key="$2"; version="$3"; executable="$4"; out="${5:-maj.txt}"
    [[ "$version" =~ ^[0-9]+$ ]] || { echo "the version is a whole number: $version" >&2; exit 1; }
    [ -f "$executable" ] || { echo "no executable at $executable" >&2; exit 1; }
    name="$(basename "$executable")"
    digest="$(sha256sum "$executable" | cut -d' ' -f1)"
    work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
    # The exact text the program checks the signature against.
    printf 'Varlotte Qyr update\nversion %s\nsha256 %s\nfile %s\n' "$version" "$digest" "$name" >"$work/message"
    openssl pkeyutl -sign -inkey "$key" -rawin -in "$work/message" -out "$work/signature"
    printf '%s\n%s  %s\n%s\n' "$version" "$digest" "$name" "$(hex <"$work/signature")" >"$work/maj.txt"
    mv "$work/maj.txt" "$out"
    echo "$out: version $version, $name, signed by $(public_key "$key")"
    ;;
  public-key)
    [ $# -ge 2 ] || usage
    public_key "$2"; echo
    ;;
  *) usage ;;
esac
