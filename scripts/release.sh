#!/usr/bin/env bash
# Builds the Windows programs from scratch and writes what players download:
#
#   scripts/release.sh [--out DIR]     (default DIR: dist)
#
#   DIR/TorvaMapChecker-<version>-win32.zip   the one to download: runs on 32- and
#                                             64-bit Windows, as the game does
#   DIR/TorvaMapChecker-<version>-win64.zip   the 64-bit build (see its guide)
#   DIR/SHA256SUMS
#
# Each zip holds TorvaMapChecker.exe, torvacheck.exe (stripped) and the Korean
# guide README-ko.txt. Nothing in them depends on when or where they were made:
# two runs give the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=dist
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$2; shift 2 ;;
    *) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh
version=$(sed -n 's/^project(TorvaMapChecker VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }
# Every file in the zips carries the time of the last commit (or a fixed one
# outside git), stored as UTC.
epoch=$(git log -1 --format=%ct 2>/dev/null || echo 946684800)
export TZ=UTC

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/TorvaMapChecker-*.zip "$out/SHA256SUMS"
stage_root=$(mktemp -d /tmp/torva-release.XXXXXX)
trap 'rm -rf "$stage_root"' EXIT

for arch in win32 win64; do
  build="$root/build/release-$arch"
  echo "== release build: $arch"
  rm -rf "$build"
  # Stripped by the linker: strip(1) would stamp the PE header with its time.
  cmake --preset "$arch" -B "$build" -DTORVA_BUILD_TESTS=OFF -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s >/dev/null
  cmake --build "$build" -j"$(nproc)" --target TorvaMapChecker torvacheck >/dev/null

  stage="$stage_root/$arch"
  mkdir -p "$stage"
  cp "$build/app/TorvaMapChecker.exe" "$build/cli/torvacheck.exe" "$stage/"
  # Notepad on Windows 7 reads UTF-8 only with its byte-order mark, and wants
  # CRLF line ends.
  {
    printf '\xEF\xBB\xBF'
    sed 's/$/\r/' docs/README-ko.txt
    [ "$arch" = win32 ] || sed 's/$/\r/' docs/README-ko-win64.txt
  } >"$stage/README-ko.txt"
  touch -d "@$epoch" "$stage"/*
  zip_name="TorvaMapChecker-$version-$arch.zip"
  (cd "$stage" && zip -X -q "$out/$zip_name" README-ko.txt TorvaMapChecker.exe torvacheck.exe)
done

(cd "$out" && sha256sum TorvaMapChecker-"$version"-win32.zip TorvaMapChecker-"$version"-win64.zip >SHA256SUMS)
echo "== release: $out"
cat "$out/SHA256SUMS"
