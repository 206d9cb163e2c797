#!/usr/bin/env bash
# The whole test run, as CI runs it: installs what is missing, builds every
# preset warning-free, runs the unit tests natively and under ASan+UBSan, then
# the Windows program under Wine. Artifacts (screenshots) go to artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# Asked once for the whole run; every script below takes this answer.
. scripts/host-i386.sh
host_i386
echo "== host: 32-bit x86 programs: $HOST_I386 ($HOST_I386_WHY)"
scripts/install-deps.sh
echo "== layers"
scripts/check-layers.sh
echo "== style"
scripts/check-style.sh
scripts/build.sh linux asan win64 win32
echo "== naming"
scripts/check-naming.sh

echo "== unit tests (native)"
ctest --preset linux -j2
echo "== unit tests (ASan+UBSan)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j2

echo "== benchmarks (smoke run: timings not judged)"
scripts/bench.sh --smoke

echo "== fuzzing (bounded)"
scripts/fuzz.sh "${TORVA_FUZZ_SECONDS:-60}"

if [ -x tests/wine/run.sh ]; then
  echo "== the Windows program under Wine"
  tests/wine/run.sh --win-build "$root/build/win64" --win32-build "$root/build/win32" \
    --sample-tool "$root/build/linux/tools/make_sample_folder" \
    --torvacheck "$root/build/linux/cli/torvacheck" \
    --artifacts "$root/artifacts/wine"
fi
echo "== the release zips, built twice: the same bytes, the right contents"
scripts/release.sh --out "$root/dist"
cp "$root/dist/SHA256SUMS" "$root/artifacts/SHA256SUMS.first"
scripts/release.sh --out "$root/dist"
cmp "$root/artifacts/SHA256SUMS.first" "$root/dist/SHA256SUMS" || { echo "two release runs differ" >&2; exit 1; }
scripts/check-release.sh "$root/dist"
echo "== all tests passed"
