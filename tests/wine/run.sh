#!/usr/bin/env bash
# End-to-end tests of TorvaMapChecker.exe under Wine and Xvfb.
#
#   tests/wine/run.sh --win-build DIR --sample-tool PATH --torvacheck PATH --artifacts DIR
#                     [--keep-work]
#
# One private Wine prefix and one server for the whole run. The program is
# started once per scenario; a driver program (built with mingw-w64, running
# in the same Wine session) checks what it shows through window messages.
# Screenshots of each state land in the artifacts folder as PNG.
set -uo pipefail

usage() { sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

win_build= sample_tool= torvacheck= artifacts= keep_work=
while [ $# -gt 0 ]; do
  case $1 in
    --win-build) win_build=$2; shift 2 ;;
    --sample-tool) sample_tool=$2; shift 2 ;;
    --torvacheck) torvacheck=$2; shift 2 ;;
    --artifacts) artifacts=$2; shift 2 ;;
    --keep-work) keep_work=1; shift ;;
    *) usage ;;
  esac
done
[ -n "$win_build" ] && [ -n "$sample_tool" ] && [ -n "$torvacheck" ] && [ -n "$artifacts" ] || usage

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_env.sh
. "$here/wine_env.sh"

abspath() { (cd "$(dirname "$1")" && printf '%s/%s' "$(pwd)" "$(basename "$1")"); }
exe=$(abspath "$win_build/app/TorvaMapChecker.exe")
driver=$(abspath "$win_build/tests/wine/driver/torva_wine_driver.exe")
sample_tool=$(abspath "$sample_tool")
torvacheck=$(abspath "$torvacheck")
for f in "$exe" "$driver" "$sample_tool" "$torvacheck"; do
  [ -f "$f" ] || { echo "missing: $f" >&2; exit 2; }
done
for tool in Xvfb convert timeout; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 2; }
done
korean_locale=$(locale -a 2>/dev/null | grep -i -m1 '^ko_KR\.utf-\?8$' || true)
[ -n "$korean_locale" ] || { echo "the ko_KR.UTF-8 locale is not generated (see scripts/install-deps.sh)" >&2; exit 2; }

mkdir -p "$artifacts"
artifacts=$(cd "$artifacts" && pwd)
rm -f "$artifacts"/*.png "$artifacts"/*.bmp "$artifacts"/*.log
work=$(mktemp -d /tmp/torva-wine.XXXXXX)
logs="$work/logs"
mkdir -p "$logs" "$work/cwd"
export WINEPREFIX="$work/prefix"
XVFB_PID=
prog_pid=

cleanup() {
  [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null
  timeout 20 "$WINESERVER" -k >/dev/null 2>&1 </dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  cp "$logs"/*.log "$artifacts"/ 2>/dev/null
  if [ -n "$keep_work" ]; then echo "work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$(date +%s)
passed=0 failed=0
report() {  # report PASS|FAIL NAME [DETAIL]
  printf '%s %s%s\n' "$1" "$2" "${3:+: $3}"
  if [ "$1" = PASS ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

echo "== Wine setup (prefix $WINEPREFIX)"
start_xvfb "$logs" || exit 1
init_prefix "$logs" 1024x768 || exit 1
echo "   ready after $(( $(date +%s) - started )) s on display $DISPLAY"

# A sample download folder whose install path holds Korean and a blank, so the
# wide API is exercised on the way from the registry to the files.
install="$work/game/워크래프트 III"
folder="$install/Maps/Download"
mkdir -p "$install/Maps"
timeout 120 "$sample_tool" "$folder" --variant 1 >"$logs/sample.log" 2>&1 || { cat "$logs/sample.log"; exit 1; }
timeout 120 "$torvacheck" --folder "$folder" --json >"$work/expect.json" 2>"$logs/torvacheck.log" || { cat "$logs/torvacheck.log"; exit 1; }
echo "   sample: $(find "$folder" -maxdepth 1 -type f | wc -l) files in $folder"

snapshot() {  # what must not change: names, sizes, times, modes and contents
  (cd "$1" && find . -printf '%p\t%s\t%T@\t%m\n' | LC_ALL=C sort &&
    find . -type f -exec md5sum {} + | LC_ALL=C sort)
}
snapshot "$folder" >"$work/folder.before"
snapshot "$work/cwd" >"$work/cwd.before"
check_untouched() {  # check_untouched SCENARIO
  snapshot "$folder" >"$work/folder.after"
  snapshot "$work/cwd" >"$work/cwd.after"
  if cmp -s "$work/folder.before" "$work/folder.after" && cmp -s "$work/cwd.before" "$work/cwd.after"; then
    report PASS "$1: no file changed in the download folder or the working folder"
  else
    report FAIL "$1: files changed" "$(diff "$work/folder.before" "$work/folder.after"; diff "$work/cwd.before" "$work/cwd.after")"
  fi
}

start_program() {  # start_program NAME LANG
  (cd "$work/cwd" && exec env LANG="$2" LC_ALL= timeout -k 5 240 "$WINE" "$exe") \
    >"$logs/program-$1.log" 2>&1 </dev/null &
  prog_pid=$!
}

finish_program() {  # finish_program NAME: the program must be gone by now
  local i
  for i in $(seq 200); do kill -0 "$prog_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$prog_pid" 2>/dev/null; then
    report FAIL "$1: the program is still running"
    kill "$prog_pid" 2>/dev/null
  fi
  wait "$prog_pid" 2>/dev/null
  prog_pid=
}

# run_driver NAME LANG DRIVER-ARGS...: the driver's checks, summed up.
run_driver() {
  local name=$1 lang=$2; shift 2
  env LANG="$lang" LC_ALL= timeout -k 5 240 "$WINE" "$driver" "$@" \
    >"$logs/driver-$name.log" 2>&1 </dev/null
  local rc=$?
  local ok bad
  ok=$(grep -c '^PASS' "$logs/driver-$name.log")
  bad=$(grep -c '^FAIL' "$logs/driver-$name.log")
  grep '^FAIL' "$logs/driver-$name.log" | sed 's/^/   /'
  if [ "$rc" -eq 0 ] && [ "$bad" -eq 0 ] && [ "$ok" -gt 0 ]; then
    report PASS "$name" "$ok driver checks"
  else
    report FAIL "$name" "driver exit $rc, $ok passed, $bad failed (log: driver-$name.log)"
  fi
}

# scenario NAME LANG DRIVER-ARGS...: one run of the program with the driver.
scenario() {
  local name=$1 lang=$2; shift 2
  echo "== $name (LANG=$lang)"
  start_program "$name" "$lang"
  run_driver "$name" "$lang" "$@"
  finish_program "$name"
  check_untouched "$name"
}

shots=$(windows_path "$artifacts")
expect=$(windows_path "$work/expect.json")

echo "== resources of the program file"
run_driver resources C.UTF-8 resources --exe "$(windows_path "$exe")"

wine_run "$logs/reg.log" 60 reg delete "$GAME_KEY" /f
set_install_path "$logs/reg.log" "$install" || { report FAIL "setting InstallPath with wine reg add"; exit 1; }

scenario main-korean-locale "$korean_locale" main --expect "$expect" --shots "$shots" \
  --tag ko --acp korean --close escape
scenario main-neutral-locale C.UTF-8 main --expect "$expect" --shots "$shots" \
  --tag c --acp other --close closebox
scenario enter-ends C.UTF-8 main --close enter

wine_run "$logs/reg.log" 60 reg delete "$GAME_KEY" /f
scenario missing-key C.UTF-8 notice --letter B --code 2 --shot "$shots\\notice-missing-key.bmp"

wine_run "$logs/reg.log" 60 reg add "$GAME_KEY" /f
scenario missing-value C.UTF-8 notice --letter A --code 2 --shot "$shots\\notice-missing-value.bmp"

for bmp in "$artifacts"/*.bmp; do
  [ -e "$bmp" ] || continue
  timeout 60 convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "== screenshots: $(ls "$artifacts"/*.png 2>/dev/null | wc -l) in $artifacts"
echo "== $passed passed, $failed failed in $(( $(date +%s) - started )) s"
[ "$failed" -eq 0 ]
