#!/usr/bin/env bash
# Builds everything, makes a sample download folder and shows what the checker
# makes of it: torvacheck's report, then the Windows program under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh
scripts/build.sh linux win64

sample="$root/build/demo/Maps/Download"
rm -rf "$root/build/demo"
mkdir -p "$(dirname "$sample")"
"$root/build/linux/tools/make_sample_folder" "$sample" >/dev/null
echo
"$root/build/linux/cli/torvacheck" --folder "$sample" scan

if [ -x tests/wine/demo.sh ]; then
  tests/wine/demo.sh --win-build "$root/build/win64" --folder "$sample" \
    --artifacts "$root/artifacts/demo"
fi
