#!/usr/bin/env bash
# The Wine part of scripts/bench.sh: TorvaMapChecker.exe (64-bit) under Xvfb,
# timed by bench/wine/timing.cpp on the Wine driver's session, against torvacheck.exe's whole
# list-and-scan of the same 1000-entry folder in the same run; then the same
# folder grown to 20000 entries, where every refresh rescans and shows the
# notice (the driver answers it at once).
#
#   scripts/bench-wine.sh --build DIR --folder BENCH-FOLDER --smoke 0|1 --out FILE
#
# Writes the medians (ns) to FILE as shell assignments: cli_ns, switch_ns,
# switch0_ns (switches into tab 0, which shows every entry), crossing_ns and,
# in full runs, big_entries, big_switch_ns, big_crossing_ns. Logs and the
# prefix stay in DIR/wine. TORVA_BENCH_BIG_SWITCHES sets the number of
# switches at 20000 entries (default 4; 0 leaves that folder out).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build='' folder='' smoke=0 out=''
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift 2 ;;
    --folder) folder=$2; shift 2 ;;
    --smoke) smoke=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) sed -n '2,13p' "$0" >&2; exit 2 ;;
  esac
done
[ -n "$build" ] && [ -n "$folder" ] && [ -n "$out" ] || { sed -n '2,13p' "$0" >&2; exit 2; }

win=build/win64
cmake --preset win64 >/dev/null
cmake --build "$win" -j2 --target TorvaMapChecker torvacheck torva_wine_timing >/dev/null
exe=$root/$win/app/TorvaMapChecker.exe
cli_exe=$root/$win/cli/torvacheck.exe
driver=$root/$win/bench/wine/torva_wine_timing.exe

# shellcheck source=../tests/wine/wine_env.sh
. tests/wine/wine_env.sh
set +e  # each step below says what failed

work=$root/$build/wine
logs=$work/logs
rm -rf "$logs" "$work/game1k" "$work/game-big"
mkdir -p "$logs"
export WINEPREFIX=$work/prefix
XVFB_PID=
cleanup() {
  timeout 20 "$WINESERVER" -k >/dev/null 2>&1 </dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$work/game1k" "$work/game-big"
}
trap cleanup EXIT

# The bench folder as the game's download folder (hard links: no copy), and
# the same grown by tiny files named to sort after it, so that the 1000
# entries examined are the same files.
game1k=$work/game1k
mkdir -p "$game1k/Maps"
cp -al "$folder" "$game1k/Maps/Download" 2>/dev/null || cp -a "$folder" "$game1k/Maps/Download"
big_entries=20000
game_big=$work/game-big
big_switches=${TORVA_BENCH_BIG_SWITCHES:-4}
[ "$smoke" = 1 ] && big_switches=0
if [ "$big_switches" != 0 ]; then
  mkdir -p "$game_big/Maps"
  cp -al "$folder" "$game_big/Maps/Download" 2>/dev/null || cp -a "$folder" "$game_big/Maps/Download"
  for ((i = $(find "$folder" -maxdepth 1 -type f | wc -l); i < big_entries; i++)); do
    printf 'x' >"$game_big/Maps/Download/zz_extra_$i.txt"
  done
fi

start_xvfb "$logs" || exit 1
init_prefix "$logs" || exit 1

median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
ms_to_ns() { awk '{printf "%.0f ", $1 * 1e6}'; }

# torvacheck.exe over the folder as a whole process (its server kept warm).
cli_times=
time_cli() {  # time_cli ROUNDS
  local r start
  for ((r = 0; r < $1; r++)); do
    start=$(date +%s%N)
    wine_run "$logs/torvacheck-exe.log" 300 "$cli_exe" --folder "$(windows_path "$game1k/Maps/Download")" ||
      { echo "torvacheck.exe failed (see $logs/torvacheck-exe.log)" >&2; exit 1; }
    cli_times+="$(($(date +%s%N) - start)) "
  done
}

# dialog NAME INSTALL DRIVER-ARGS...: the program on that game's folder, timed
# by the driver; its TIME lines in $logs/driver-NAME.log.
dialog() {
  local name=$1 install=$2 prog rc; shift 2
  set_install_path "$logs/reg.log" "$install" || { echo "setting InstallPath failed" >&2; exit 1; }
  (cd "$work" && exec env LANG=C.UTF-8 LC_ALL= timeout -k 5 1800 "$WINE" "$exe") \
    >"$logs/program-$name.log" 2>&1 </dev/null &
  prog=$!
  env LANG=C.UTF-8 LC_ALL= timeout -k 5 1800 "$WINE" "$driver" "$@" \
    >"$logs/driver-$name.log" 2>&1 </dev/null
  rc=$?
  wait "$prog"
  tr -d '\r' <"$logs/driver-$name.log" | grep -E '^(PASS|FAIL)' | sed "s/^/   $name: /"
  [ "$rc" = 0 ] || { echo "the $name run failed (see $logs/driver-$name.log)" >&2; exit 1; }
}
times_of() {  # times_of NAME KIND [TO]: the TIME lines' milliseconds, as ns
  tr -d '\r' <"$logs/driver-$1.log" | awk -v k="$2" -v to="${3:-}" \
    '$1 == "TIME" && $2 == k && (to == "" || $4 == to) {print $NF}' | ms_to_ns
}

rounds=5 switches=16 crossings=12
[ "$smoke" = 1 ] && rounds=1 switches=4 crossings=3
time_cli "$rounds"
dialog 1k "$game1k" --switches "$switches" --crossings "$crossings" --notices no
time_cli "$rounds"  # before and after the dialog, so that load falls on both alike
{
  echo "cli_ns=$(median "$cli_times")"
  echo "switch_ns=$(median "$(times_of 1k switch)")"
  echo "switch0_ns=$(median "$(times_of 1k switch 0)")"
  echo "crossing_ns=$(median "$(times_of 1k crossing)")"
} >"$out"
if [ "$big_switches" != 0 ]; then
  dialog big "$game_big" --switches "$big_switches" --crossings 3 --notices yes
  {
    echo "big_entries=$big_entries"
    echo "big_switch_ns=$(median "$(times_of big switch)")"
    echo "big_crossing_ns=$(median "$(times_of big crossing)")"
  } >>"$out"
fi
echo "   each time (ms): $(tr -d '\r' <"$logs/driver-1k.log" | awk '$1 == "TIME" {printf "%s %s, ", $2, $NF}')"
