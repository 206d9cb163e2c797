#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time (default 60 s) over its corpus
# and the kept regression inputs. A finding fails the run and leaves the crash
# input in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

mkdir -p build/fuzz/findings
for target in header_fuzz sums_fuzz; do
  corpus=tests/fuzz/corpus/${target%_fuzz}
  work=build/fuzz/corpus-${target%_fuzz}
  mkdir -p "$work"
  echo "== $target: regression inputs"
  if compgen -G "tests/fuzz/regressions/*" >/dev/null; then
    "build/fuzz/tests/fuzz/$target" tests/fuzz/regressions/*
  fi
  echo "== $target: ${seconds}s"
  "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/findings/"$target"- "$work" "$corpus" 2>build/fuzz/$target.log \
    || { tail -n 40 build/fuzz/$target.log; exit 1; }
  grep -E '^stat::number_of_executed_units|^Done' build/fuzz/$target.log || tail -n 3 build/fuzz/$target.log
done
