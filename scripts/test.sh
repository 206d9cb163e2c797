#!/usr/bin/env bash
# The whole test run, as CI runs it: installs what is missing, builds every
# preset warning-free, runs the unit tests natively and under ASan+UBSan, then
# the Windows program under Wine. Artifacts (screenshots) go to artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh
echo "== layers"
scripts/check-layers.sh
scripts/build.sh linux asan win64
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
  tests/wine/run.sh --win-build "$root/build/win64" \
    --sample-tool "$root/build/linux/tools/make_sample_folder" \
    --torvacheck "$root/build/linux/cli/torvacheck" \
    --artifacts "$root/artifacts/wine"
fi
echo "== all tests passed"
