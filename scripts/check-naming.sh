#!/usr/bin/env bash
# Checks the naming convention (README, Contributing) with clang-tidy's
# readability-identifier-naming (.clang-tidy): the native sources through
# build/linux, the Win32 ones through build/win64 with mingw-w64's headers.
# Needs both presets configured (scripts/build.sh does it).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-tidy >/dev/null || { echo "check-naming: clang-tidy is not installed" >&2; exit 2; }

win32='^(app|ui|platform/win32|tests/win32|tests/wine/driver)/|^(cli|base)/[a-z_0-9]*_win32\.cpp$'
native=$(git ls-files -- '*.cpp' | grep -vE "$win32|^tests/fuzz/|^bench/")
windows=$(git ls-files -- '*.cpp' | grep -E "$win32")

gcc_include=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix/include | tail -1)
mingw=(--extra-arg=--target=x86_64-w64-mingw32
  "--extra-arg=-isystem$gcc_include/c++" "--extra-arg=-isystem$gcc_include/c++/x86_64-w64-mingw32"
  --extra-arg=-isystem/usr/x86_64-w64-mingw32/include)

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\n' $native | xargs -P"$(nproc)" -n4 clang-tidy -p build/linux --quiet >>"$log" 2>/dev/null || status=1
printf '%s\n' $windows | xargs -P"$(nproc)" -n4 clang-tidy -p build/win64 --quiet "${mingw[@]}" >>"$log" 2>/dev/null || status=1
findings=$(grep -E '(warning|error):' "$log" | sort -u || true)
if [ -n "$findings" ] || [ "$status" -ne 0 ]; then
  echo "$findings" >&2
  echo "check-naming: $(printf '%s\n' "$findings" | grep -c . || true) finding(s)" >&2
  exit 1
fi
echo "check-naming: $(printf '%s\n' $native $windows | wc -l) files follow the naming convention"
