#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine; does
# nothing for what is already there. Needs root (or sudo) only when installing.
set -euo pipefail

packages=(
  cmake g++ make git clang clang-format clang-tidy libclang-rt-14-dev shellcheck
  googletest libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 xvfb xauth fonts-nanum fonts-baekmuk locales imagemagick xdotool hyperfine
  zip unzip
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# The 32-bit program runs under Wine's 32-bit half, from Debian's i386
# packages, where the kernel runs 32-bit code; elsewhere it is built but not run.
# shellcheck source=host-i386.sh
. "$(dirname "$0")/host-i386.sh"
host_i386
if [ "$HOST_I386" = yes ]; then
  packages+=(wine32:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    added_i386=1
  fi
else
  echo "Not installing Wine's 32-bit half: $HOST_I386_WHY."
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ -n "${added_i386:-}" ]; then
  echo "Installing: ${missing[*]}"
  # A mirror mid-sync fails one index now and then ("File has unexpected
  # size"); try again, and go on with what was fetched if it keeps failing,
  # so that only a package really missing stops the install.
  for attempt in 1 2 3; do
    as_root apt-get update -qq && break
    echo "apt-get update failed (attempt $attempt of 3)" >&2
    sleep $((attempt * 10))
  done
  apt_install() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "$@" "${missing[@]}" >/dev/null
  }
  # When one architecture's index of a suite could not be fetched, the other's
  # newer versions cannot be matched (i386 and amd64 libraries must be the
  # same version); the release's own suite has both, so take it from there.
  if ! apt_install; then
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    echo "Installing again from $codename's own suite, the same versions for every architecture." >&2
    apt_install -t "$codename"
  fi
fi

# Korean and neutral UTF-8 locales for the Wine runs.
if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
  as_root sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
