#!/usr/bin/env bash
# The benchmarks: builds build/bench-rel (preset "bench"), makes the 1000-file
# bench folder, runs torva_bench (sums, whole-file check, folder scan against
# their baselines) and times torvacheck as a whole process against cat and
# md5sum over the same folder; then, under Wine, times the dialog's tab
# switches and hover-band crossings against torvacheck.exe's whole
# list-and-scan of the same folder, and a switch at 20000 entries. Prints each
# ratio with PASS or FAIL.
#
#   scripts/bench.sh          full run (about five minutes); exits 1 if a target is missed
#   scripts/bench.sh --smoke  everything once, briefly; judges no timing, fails only
#                             on wrong results (for CI)
#
# The Wine part needs mingw-w64, Wine and Xvfb (scripts/install-deps.sh); where
# one is missing it says so and is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=0
[ "${1:-}" = "--smoke" ] && smoke=1

build=build/bench-rel
echo "== build ($build)"
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" -j2 --target torva_bench torvacheck make_sample_folder >/dev/null

# The smoke run's folder is temporary; the full run keeps its folder for reruns.
if [ $smoke = 1 ]; then
  folder=$(mktemp -d)/bench-folder
  trap 'rm -rf "$(dirname "$folder")"' EXIT
else
  folder=$PWD/$build/bench-folder
fi
if [ "$(find "$folder" -maxdepth 1 -type f 2>/dev/null | wc -l)" != 1000 ]; then
  rm -rf "$folder"
  "$build/tools/make_sample_folder" "$folder" --layout bench >/dev/null
fi

echo "== machine"
echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores," \
  "$(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo), $(uname -sr)"

echo "== torva_bench"
status=0
bench_args=("--folder=$folder")
[ $smoke = 1 ] && bench_args+=(--smoke)
"$build/bench/torva_bench" "${bench_args[@]}" | tee "$build/bench-table.txt" || status=$?
if [ $status = 1 ] || [ $status -gt 3 ]; then
  echo "torva_bench failed (status $status)"
  exit 1
fi

# Whole processes, run in turn round after round so that load from elsewhere
# falls on all three alike; the median of each.
echo "== whole processes over the bench folder"
torvacheck=$PWD/$build/cli/torvacheck
"$torvacheck" --folder "$folder" >/dev/null || { echo "torvacheck failed"; exit 1; }
rounds=15
[ $smoke = 1 ] && rounds=1
declare -A times
commands=(torvacheck cat md5sum)
run() {
  case $1 in
    torvacheck) "$torvacheck" --folder "$folder" >/dev/null ;;
    cat) cat -- "$folder"/* >/dev/null ;;
    md5sum) md5sum -- "$folder"/* >/dev/null ;;
  esac
}
for c in "${commands[@]}"; do run "$c"; done  # warm the page cache
for ((r = 0; r < rounds; r++)); do
  for c in "${commands[@]}"; do
    start=$(date +%s%N)
    run "$c"
    times[$c]+="$(($(date +%s%N) - start)) "
  done
done
median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
tc=$(median "${times[torvacheck]}")
ct=$(median "${times[cat]}")
md=$(median "${times[md5sum]}")

fails=$build/bench-fails.txt
rm -f "$fails"
row() {  # target, text, numerator ns, denominator ns, limit kind, limit
  local ratio result
  ratio=$(awk -v a="$3" -v b="$4" 'BEGIN {printf "%.2f", a / b}')
  if [ $smoke = 1 ]; then
    result=smoke
  elif awk -v r="$ratio" -v l="$6" -v k="$5" 'BEGIN {exit !(k == "<=" ? r <= l : r < l)}'; then
    result=PASS
  else
    result=FAIL
    echo "$1 $2" >>"$fails"  # rows print through a pipe: the verdict goes by file
  fi
  printf '%-2s %-44s %8.2f ms %8.2f ms %8sx %8s  %s\n' "$1" "$2" \
    "$(awk -v t="$3" 'BEGIN {print t / 1e6}')" "$(awk -v t="$4" 'BEGIN {print t / 1e6}')" \
    "$ratio" "$5$6x" "$result"
}
{
  echo
  printf '%-2s %-44s %11s %11s %9s %8s  %s\n' "#" "whole process, median of $rounds rounds" \
    numerator denominator ratio limit result
  row 4 "torvacheck / cat of the same files" "$tc" "$ct" "<=" 1.5
  row 4 "torvacheck / md5sum of the same files" "$tc" "$md" "<" 1
} | tee -a "$build/bench-table.txt"

# The dialog under Wine, in a script of its own (its display, prefix and
# server end with it); the medians come back as shell assignments in a file.
wine_skip=
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  wine_skip="mingw-w64 is not installed"
elif ! [ -x /usr/lib/wine/wine64 ] && ! command -v wine64 >/dev/null && ! command -v wine >/dev/null; then
  wine_skip="Wine is not installed"
elif ! command -v Xvfb >/dev/null; then
  wine_skip="Xvfb is not installed"
fi
echo "== the dialog under Wine"
if [ -n "$wine_skip" ]; then
  echo "SKIP the dialog under Wine: $wine_skip (scripts/install-deps.sh installs it)"
else
  medians=$build/wine-medians.txt
  rm -f "$medians"
  scripts/bench-wine.sh --build "$build" --folder "$folder" --smoke $smoke --out "$medians" ||
    { echo "the dialog under Wine failed (logs in $build/wine/logs)"; exit 1; }
  # Sets switch_ns, switch0_ns, crossing_ns, cli_ns and, at the big folder,
  # big_entries, big_switch_ns, big_crossing_ns.
  # shellcheck source=/dev/null
  . "$medians"
  # shellcheck disable=SC2154
  {
    echo
    printf '%-2s %-44s %11s %11s %9s %8s  %s\n' "#" "dialog under Wine, medians" numerator \
      denominator ratio limit result
    row 5 "tab switch / torvacheck.exe list-and-scan" "$switch_ns" "$cli_ns" "<=" 0.25
    row 5 "switch into tab 0 / torvacheck.exe" "$switch0_ns" "$cli_ns" "<=" 0.25
    row 5 "hover crossing / torvacheck.exe" "$crossing_ns" "$cli_ns" "<=" 0.25
    if [ -n "${big_switch_ns:-}" ]; then
      row 6 "switch at $big_entries entries / 2 s" "$big_switch_ns" 2000000000 "<" 1
      row 6 "crossing at $big_entries entries / 2 s" "$big_crossing_ns" 2000000000 "<" 1
    fi
  } | tee -a "$build/bench-table.txt"
fi

[ -s "$fails" ] && status=3
echo
if [ $smoke = 1 ]; then
  echo "== smoke run done (timings not judged)"
  exit 0
fi
if [ $status = 0 ]; then
  echo "== every target met"
else
  echo "== some targets missed (FAIL above)"
  exit 1
fi
