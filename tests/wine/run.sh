#!/usr/bin/env bash
# End-to-end tests of TorvaMapChecker.exe under Wine and Xvfb.
#
#   tests/wine/run.sh --win-build DIR --sample-tool PATH --torvacheck PATH --artifacts DIR
#                     [--win32-build DIR] [--keep-work] [--only faults|metrics|listing|locate]
#
# One private Wine prefix and one server for the whole run. The program is
# started once per scenario; a driver program (built with mingw-w64, running
# in the same Wine session) checks what it shows through window messages.
# Screenshots of each state land in the artifacts folder as PNG.
set -uo pipefail

usage() { sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

win_build='' win32_build='' sample_tool='' torvacheck='' artifacts='' keep_work='' only=''
while [ $# -gt 0 ]; do
  case $1 in
    --win-build) win_build=$2; shift 2 ;;
    --win32-build) win32_build=$2; shift 2 ;;
    --sample-tool) sample_tool=$2; shift 2 ;;
    --torvacheck) torvacheck=$2; shift 2 ;;
    --artifacts) artifacts=$2; shift 2 ;;
    --keep-work) keep_work=1; shift ;;
    --only-faults) only=faults; shift ;;
    --only) only=$2; shift 2 ;;
    *) usage ;;
  esac
done
[ -n "$win_build" ] && [ -n "$sample_tool" ] && [ -n "$torvacheck" ] && [ -n "$artifacts" ] || usage

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_env.sh
. "$here/wine_env.sh"

abspath() { (cd "$(dirname "$1")" && printf '%s/%s' "$(pwd)" "$(basename "$1")"); }
exe=$(abspath "$win_build/app/TorvaMapChecker.exe")
cli_exe=$(abspath "$win_build/cli/torvacheck.exe")
# The same program with the harness's seams (never released).
seams_exe=$(abspath "$win_build/app/seams/TorvaMapChecker.exe")
driver=$(abspath "$win_build/tests/wine/driver/torva_wine_driver.exe")
win32_tests=$(abspath "$win_build/tests/win32/torva_win32_tests.exe")
sample_tool=$(abspath "$sample_tool")
torvacheck=$(abspath "$torvacheck")
exe32='' driver32=''
if [ -n "$win32_build" ]; then
  exe32=$(abspath "$win32_build/app/TorvaMapChecker.exe")
  # Reading another process's controls needs the same pointer size as it.
  driver32=$(abspath "$win32_build/tests/wine/driver/torva_wine_driver.exe")
fi
for f in "$exe" "$seams_exe" "$driver" "$win32_tests" "$sample_tool" "$torvacheck" ${exe32:+"$exe32" "$driver32"}; do
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
passed=0 failed=0 skipped=0
report() {  # report PASS|FAIL|SKIP NAME [DETAIL]
  printf '%s %s%s\n' "$1" "$2" "${3:+: $3}"
  case $1 in
    PASS) passed=$((passed + 1)) ;;
    SKIP) skipped=$((skipped + 1)) ;;
    *) failed=$((failed + 1)) ;;
  esac
}
# The 32-bit program's groups need a host that runs 32-bit code; elsewhere
# they are built (and their release checked statically) but not run.
runs_32bit() {  # runs_32bit GROUP: true, or reports GROUP as skipped
  wine_runs_32bit && return 0
  local why=$HOST_I386_WHY
  [ "$HOST_I386" = yes ] && why="Wine's 32-bit half (wine32:i386) is not installed"
  report SKIP "$1" "$why (built, and its release checked statically by scripts/check-release.sh)"
  return 1
}

echo "== Wine setup (prefix $WINEPREFIX, loader $WINE; 32-bit programs: $HOST_I386, $HOST_I386_WHY)"
start_xvfb "$logs" || exit 1
init_prefix "$logs" 1024x768 || exit 1
echo "   ready after $(( $(date +%s) - started )) s on display $DISPLAY"

# The Win32 layer's unit tests (GoogleTest), in the same prefix and display,
# as 64-bit and as 32-bit programs (the build players download).
unit_tests() {  # unit_tests NAME EXE
  echo "== $1"
  wine_run "$logs/$1.log" 300 "$2"
  local rc=$? summary
  summary=$(tr -d '\r' <"$logs/$1.log" | grep -E '^\[  (PASSED|FAILED)  \]' | head -1)
  tr -d '\r' <"$logs/$1.log" | grep -E '^\[  FAILED  \]' | sed 's/^/   /'
  if [ "$rc" -eq 0 ] && [[ $summary == *PASSED* ]]; then
    report PASS "$1" "${summary#*] }"
    # A test this Wine cannot run is told as skipped, with its reason.
    local line
    while IFS= read -r line; do report SKIP "$1: ${line%%: *}" "${line#*: }"; done < <(
      tr -d '\r' <"$logs/$1.log" | awk '/: Skipped$/ { getline why; next_skip = why }
        /^\[  SKIPPED \] .*\(/ { sub(/^\[  SKIPPED \] /, ""); sub(/ \(.*/, ""); print $0 ": " next_skip }')
  else
    report FAIL "$1" "exit $rc (log: $1.log)"
  fi
}
unit_tests win32-unit "$win32_tests"
[ -z "$win32_build" ] || ! runs_32bit win32-unit-x86 ||
  unit_tests win32-unit-x86 "$(abspath "$win32_build/tests/win32/torva_win32_tests.exe")"

# A sample download folder whose install path holds Korean and a blank, so the
# wide API is exercised on the way from the registry to the files.
install="$work/game/워크래프트 III"
folder="$install/Maps/Download"
mkdir -p "$install/Maps"
timeout 120 "$sample_tool" "$folder" --variant 1 >"$logs/sample.log" 2>&1 || { cat "$logs/sample.log"; exit 1; }
# Names are measured in code page 949 bytes by both programs: a genuine copy
# under a name of 255 UTF-8 bytes (172 in code page 949) is on the TORVA and
# genuine lists of both.
repeat() { local out='' i; for ((i = 0; i < $2; i++)); do out+=$1; done; printf '%s' "$out"; }
cp "$folder/TORVA_A07.w3x" "$folder/$(repeat 맵 83)AB.w3x"
timeout 120 "$torvacheck" --folder "$folder" --json >"$work/expect.json" 2>"$logs/torvacheck.log" || { cat "$logs/torvacheck.log"; exit 1; }
echo "   sample: $(find "$folder" -maxdepth 1 -type f | wc -l) files in $folder"

snapshot() {  # what must not change: names, sizes, times, modes and contents
  (cd "$1" && { find . -printf '%p\t%s\t%T@\t%m\n'; find . -type f -exec md5sum {} +; } | LC_ALL=C sort)
}
# The folder a scenario works on (the download folder in use); the working
# folder is always watched too.
watched=$folder
take_snapshots() { snapshot "$work/cwd" >"$work/cwd.before"; snapshot "$watched" >"$work/watched.before"; }
check_kept() {  # check_kept NAME none|-|CHANGED: see scenario
  local changed names=() patterns=(-e '//none//') name
  changed=$(diff "$work/cwd.before" <(snapshot "$work/cwd"))
  if [ "$2" = none ]; then
    changed+=$(diff "$work/watched.before" <(snapshot "$watched"))
  else
    [ "$2" = - ] || IFS='|' read -r -a names <<<"$2"
    for name in "${names[@]}"; do patterns+=(-e "./$name"); done
    changed+=$(LC_ALL=C comm -13 "$work/watched.before" <(snapshot "$watched") |
      grep -v -P '^\.\t' | grep -v -F "${patterns[@]}")
  fi
  if [ -z "$changed" ]; then
    report PASS "$1: no other file changed in the folder or the working folder"
  else
    report FAIL "$1: files changed" "$changed"
  fi
}

start_program() {  # start_program NAME LANG [EXE]
  (cd "$work/cwd" && exec env LANG="$2" LC_ALL= timeout -k 5 240 "$WINE" "${3:-$exe}") \
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
  env LANG="$lang" LC_ALL= timeout -k 5 240 "$WINE" "${scenario_driver:-$driver}" "$@" \
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

# scenario NAME LANG CHANGES DRIVER-ARGS...: one run of the program (the one in
# $scenario_exe when set) with the driver. Afterwards the working folder is as
# it was, and so is $watched for CHANGES "none"; "-" allows deletions there,
# "a|b" deletions and changes to those names.
scenario_exe='' scenario_driver=''
scenario() {
  local name=$1 lang=$2 changes=$3; shift 3
  echo "== $name (LANG=$lang)"
  take_snapshots
  start_program "$name" "$lang" "$scenario_exe"
  run_driver "$name" "$lang" "$@"
  finish_program "$name"
  check_kept "$name" "$changes"
}

shots=$(windows_path "$artifacts")
expect=$(windows_path "$work/expect.json")

fresh_folder() { rm -rf "$cmd_folder" && cp -a "$template" "$cmd_folder"; }

# command_scenario NAME CHANGES DRIVER-ARGS...: a scenario on $cmd_folder.
command_scenario() {
  local name=$1; shift
  watched=$cmd_folder
  scenario "$name" C.UTF-8 "$@"
  watched=$folder
}

# --only GROUP runs one group alone (while working on it).
if [ -z "$only" ]; then
wine_run "$logs/reg.log" 60 reg delete "$GAME_KEY" /f
set_install_path "$logs/reg.log" "$install" || { report FAIL "setting InstallPath with wine reg add"; exit 1; }

scenario main-korean-locale "$korean_locale" none main --expect "$expect" --shots "$shots" \
  --tag ko --acp korean --close escape
scenario main-neutral-locale C.UTF-8 none main --expect "$expect" --shots "$shots" \
  --tag c --acp other --close closebox
scenario enter-ends C.UTF-8 none main --close enter

# The build players download: 32-bit, the same dialog and views.
if [ -n "$exe32" ] && runs_32bit main-32bit; then
  scenario_exe=$exe32 scenario_driver=$driver32
  scenario main-32bit C.UTF-8 none main --expect "$expect" --shots "$shots" \
    --tag x86 --acp other --close escape
  scenario_exe='' scenario_driver=''
fi

# torvacheck.exe finds the same folder through the registry and reports what
# the native build reports (the folder's spelling aside); its sums agree.
echo "== torvacheck.exe"
take_snapshots
cli_exe=$(abspath "$win_build/cli/torvacheck.exe")
json_lists() { tr -d '\r' <"$1" | grep -v '^  "folder": '; }
if (cd "$work/cwd" && env LANG=C.UTF-8 LC_ALL= timeout -k 5 120 "$WINE" "$cli_exe" --json) \
  >"$work/cli-win.json" 2>"$logs/torvacheck-exe.log" </dev/null &&
  cmp -s <(json_lists "$work/cli-win.json") <(json_lists "$work/expect.json"); then
  report PASS "torvacheck.exe --json: the registry's folder, the same views as natively"
else
  report FAIL "torvacheck.exe --json" "$(diff <(json_lists "$work/cli-win.json") <(json_lists "$work/expect.json") | head -20; tail -5 "$logs/torvacheck-exe.log")"
fi
sum_file=$(find "$folder" -maxdepth 1 -type f -size +1M | LC_ALL=C sort | head -n 1)
native_sums=$(timeout 60 "$torvacheck" sums "$sum_file" | cut -d' ' -f1-5)
win_sums=$(env LANG=C.UTF-8 LC_ALL= timeout -k 5 120 "$WINE" "$cli_exe" sums "$(windows_path "$sum_file")" \
  2>>"$logs/torvacheck-exe.log" </dev/null | tr -d '\r' | cut -d' ' -f1-5)
if [ -n "$native_sums" ] && [ "$native_sums" = "$win_sums" ]; then
  report PASS "torvacheck.exe sums: $win_sums"
else
  report FAIL "torvacheck.exe sums" "native '$native_sums', Windows '$win_sums'"
fi
# On a console torvacheck.exe writes UTF-16 (WriteConsoleW): through a terminal
# (script(1) gives Wine's console a pty) every Hangul word of its report
# arrives intact. Wine's console draws with escape codes, dropped here.
# (A wide terminal, so long names need not wrap.)
(cd "$work/cwd" && env LANG=C.UTF-8 LC_ALL= timeout -k 5 120 \
  script -qec "stty cols 1000; '$WINE' '$cli_exe' --folder '$(windows_path "$folder")' scan" /dev/null) \
  >"$work/cli-console.raw" 2>>"$logs/torvacheck-exe.log" </dev/null
# Escape codes and line breaks out: a long name may still wrap on the console.
sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$work/cli-console.raw" | tr -d '\r\n' >"$work/cli-console.txt"
"$torvacheck" --folder "$folder" scan >"$work/cli-native.txt" 2>>"$logs/torvacheck.log"
hangul_missing=$(LC_ALL=C.UTF-8 grep -oP '\p{Hangul}+' "$work/cli-native.txt" | LC_ALL=C sort -u |
  while read -r word; do grep -qF "$word" "$work/cli-console.txt" || printf '%s ' "$word"; done)
if [ -s "$work/cli-native.txt" ] && [ -z "$hangul_missing" ] && LC_ALL=C.UTF-8 grep -qP '\p{Hangul}' "$work/cli-console.txt"; then
  report PASS "torvacheck.exe on a console: every Hangul word of the report as it is"
else
  report FAIL "torvacheck.exe on a console" "missing: ${hangul_missing:-everything}"
fi
check_kept torvacheck-exe none

# The clean-up buttons, the keys and the hover guidance act on fresh copies of
# one sample whose hacked copy of the newest release carries its official name.
cmd_install="$work/game16/워크래프트 III"
cmd_folder="$cmd_install/Maps/Download"
template="$work/template16"
timeout 120 "$sample_tool" "$template" --variant 16 >"$logs/sample16.log" 2>&1 || { cat "$logs/sample16.log"; exit 1; }
mkdir -p "$cmd_install/Maps"
cmd_win=$(windows_path "$cmd_folder")
set_install_path "$logs/reg.log" "$cmd_install" || { report FAIL "setting InstallPath"; exit 1; }


# A read-only hacked map stays, and is told once after the others went.
fresh_folder
chmod a-w "$cmd_folder/TORVA_A11.1_hack.w3x"
command_scenario bulk-1008-yes - bulk --button 1008 --tab 3 \
  --folder "$cmd_win" --shots "$shots" --tag bulk-1008 \
  --gone "TORVA double.w3x|TORVA_A19fast (1).w3x|TORVA_A32.w3x" \
  --notices "TORVA_A32.w3x" --refused "TORVA_A11.1_hack.w3x" --shown "TORVA_A11.1_hack.w3x"

fresh_folder
command_scenario bulk-1009-yes - bulk --button 1009 --tab 2 \
  --folder "$cmd_win" --shots "$shots" --tag bulk-1009 \
  --gone "TORVA double.w3x|TORVA_A11.1 (2).w3x|torva_a19fast.w3x|토르바 A05 정식판.w3x" \
  --notices "" --shown "TORVA_A05.w3x|TORVA_A11.1.w3x|TORVA_A12.2.w3x|TORVA_A19fast.w3x"

# The official name of A19fast on a copy one byte too long.
fresh_folder
mv "$cmd_folder/TORVA_A19fast (1).w3x" "$cmd_folder/TORVA_A19fast.w3x"
command_scenario bulk-1010-yes - bulk --button 1010 --tab 1 \
  --folder "$cmd_win" --shots "$shots" --tag bulk-1010 \
  --gone "TORVA double.w3x|TORVA_A11.1 (2).w3x|TORVA_A11.1_hack.w3x|TORVA_A19 MOD v2.w3x|TORVA_A19fast.w3x|TORVA_A32MOD.w3x|TORVA_A33.w3x|TORVA_untitled.w3x|torva_a19fast.w3x|torva_a32_lower.w3x|토르바 A05 정식판.w3x|토르바 설명.txt" \
  --notices "TORVA_A19fast.w3x" --shown "TORVA_A05.w3x|TORVA_A11.1.w3x|TORVA_A12.2.w3x|TORVA_A32.w3x"

# Files to insert: a new name, an existing name with other bytes, and names
# longer than the dialog's 64-byte name field (the second 64 code page 949
# bytes in 34 characters).
source="$work/insert-from"
mkdir -p "$source"
cp "$template/TORVA_A05.w3x" "$source/내 맵 TORVA_A05 사본.w3x"
cp "$template/TORVA_A05.w3x" "$source/TORVA_A12.2.w3x"
long_name="TORVA_$(printf 'x%.0s' $(seq 60)).w3x"
hangul_name="$(repeat 맵 30).w3x"
cp "$template/notes.txt" "$source/$long_name"
cp "$template/notes.txt" "$source/$hangul_name"
fresh_folder
command_scenario keys "TORVA_A12.2.w3x|내 맵 TORVA_A05 사본.w3x" keys --folder "$cmd_win" --source "$(windows_path "$source")" \
  --select "notes.txt|TORVA_A33.w3x|empty.dat" --new "내 맵 TORVA_A05 사본.w3x" \
  --existing TORVA_A12.2.w3x --long-name "$long_name" --hangul-name "$hangul_name" \
  --other-named TORVA_A32.w3x --shots "$shots"

fresh_folder
# At the metrics the dialog was designed for (Baekmuk Gulim stands in for
# Gulim with its metrics): the buttons where Korean Windows puts them, and the
# bands' exact pixel edges.
command_scenario hover none hover --shots "$shots" --tag hover --tops "222|255|288" --exact-edges yes

fi  # [ -z "$only" ]

# Where the folder is found: the registry's messages, the documents folder
# with and without the game's key, and no folder at all.
if [ -z "$only" ] || [ "$only" = locate ]; then
if [ -z "${template:-}" ]; then
  template="$work/template16"
  timeout 120 "$sample_tool" "$template" --variant 16 >"$logs/sample16.log" 2>&1 || { cat "$logs/sample16.log"; exit 1; }
fi
# torvacheck.exe --json: exit EXIT, and stderr holding TEXT (if any).
cli_locates() {  # cli_locates NAME EXIT TEXT
  (cd "$work/cwd" && env LANG=C.UTF-8 LC_ALL= timeout -k 5 120 "$WINE" "$cli_exe" --json) \
    >"$work/$1.json" 2>"$logs/torvacheck-$1.log" </dev/null
  local rc=$?
  if [ "$rc" -eq "$2" ] && { [ -z "$3" ] || grep -q -F "$3" "$logs/torvacheck-$1.log"; }; then
    report PASS "$1: torvacheck.exe exits $2${3:+ saying '$3'}"
  else
    report FAIL "$1: torvacheck.exe" "exit $rc: $(tr -d '\r' <"$logs/torvacheck-$1.log" | head -3)"
  fi
}

wine_run "$logs/reg.log" 60 reg delete "$GAME_KEY" /f
scenario missing-key C.UTF-8 none notice --letter B --code 2 --shot "$shots\\notice-missing-key.bmp"
cli_locates missing-key 1 "(B2)"

wine_run "$logs/reg.log" 60 reg add "$GAME_KEY" /f
scenario missing-value C.UTF-8 none notice --letter A --code 2 --shot "$shots\\notice-missing-value.bmp"
cli_locates missing-value 1 "(A2)"

# Newer game layouts: the download folder under the documents folder, or none.
new_install="$work/game-new/Warcraft III"
docs="$work/documents"
mkdir -p "$new_install" "$docs/Warcraft III/Maps"
cp -a "$template" "$docs/Warcraft III/Maps/Download"
wine_run "$logs/reg.log" 60 reg add "$GAME_KEY" /v InstallPath /d "$(windows_path "$new_install")" /f
set_documents "$logs/reg.log" "$(windows_path "$docs")"
cmd_folder="$docs/Warcraft III/Maps/Download"
command_scenario documents-folder none listing --folder "$(windows_path "$cmd_folder")" \
  --shots "$shots" --tag documents-folder

# Newer versions' launchers: no game key for the user, or one without
# InstallPath. The documents folder is found all the same, by the dialog and
# by torvacheck.exe, whose `folders` says what it tried.
wine_run "$logs/reg.log" 60 reg delete "$GAME_KEY" /f
command_scenario documents-no-key none listing --folder "$(windows_path "$cmd_folder")" \
  --shots "$shots" --tag documents-no-key
cli_locates documents-no-key 0 ""
docs_count=$(tr -d '\r' <"$work/documents-no-key.json" | sed -n 's/^  "folder_file_count": \([0-9]*\),$/\1/p')
if [ "$docs_count" = "$(find "$cmd_folder" -maxdepth 1 -type f | wc -l)" ]; then
  report PASS "documents-no-key: torvacheck.exe lists the documents folder's $docs_count files"
else
  report FAIL "documents-no-key: torvacheck.exe's folder" "$(tr -d '\r' <"$work/documents-no-key.json" | head -3)"
fi
wine_run "$logs/reg.log" 60 reg add "$GAME_KEY" /v "Allow Local Files" /t REG_DWORD /d 1 /f
command_scenario documents-no-value none listing --folder "$(windows_path "$cmd_folder")" \
  --shots "$shots" --tag documents-no-value
(cd "$work/cwd" && env LANG=C.UTF-8 LC_ALL= timeout -k 5 120 "$WINE" "$cli_exe" folders) \
  >"$work/folders.txt" 2>"$logs/torvacheck-folders.log" </dev/null
folders_rc=$?
docs_line=$(tr -d '\r' <"$work/folders.txt" | grep -A1 '^2\. Documents: ' | tail -1)
if [ "$folders_rc" -eq 0 ] && [ "$docs_line" = "   exists, $(find "$cmd_folder" -maxdepth 1 -type f | wc -l) files  <- used" ]; then
  report PASS "torvacheck.exe folders: the documents folder is used without InstallPath"
else
  report FAIL "torvacheck.exe folders" "exit $folders_rc: $(tr -d '\r' <"$work/folders.txt" | tr '\n' '|')"
fi
wine_run "$logs/reg.log" 60 reg add "$GAME_KEY" /v InstallPath /d "$(windows_path "$new_install")" /f

# Neither folder: one notice, nothing listed. The working folder holds TORVA
# files that must be neither listed nor touched.
mkdir -p "$work/documents-empty"
set_documents "$logs/reg.log" "$(windows_path "$work/documents-empty")"
cp "$template/TORVA_A32.w3x" "$template/TORVA_A11.1_hack.w3x" "$template/torva_a19fast.w3x" "$work/cwd/"
cmd_folder="$work/cwd"
command_scenario no-download-folder none no-folder \
  --candidate "$(windows_path "$new_install")\\Maps\\Download" --shots "$shots"

fi  # locate

# Hidden and system files beside a read-only map: the dialog lists what
# torvacheck.exe lists, by Windows' rule for LB_DIR with the mask 0 (Wine's
# own LB_DIR would list all four).
if [ -z "$only" ] || [ "$only" = listing ]; then
  vis_install="$work/game-attributes/Warcraft III"
  vis_folder="$vis_install/Maps/Download"
  mkdir -p "$vis_folder"
  cp "$folder/TORVA_A07.w3x" "$vis_folder/"
  cp "$folder/TORVA_A07.w3x" "$vis_folder/hidden.w3x"
  cp "$folder/TORVA_A07.w3x" "$vis_folder/system.w3x"
  echo notes >"$vis_folder/notes.txt"
  chmod a-w "$vis_folder/TORVA_A07.w3x"
  wine_run "$logs/attrib.log" 60 attrib +h "$(windows_path "$vis_folder/hidden.w3x")" &&
    wine_run "$logs/attrib.log" 60 attrib +s "$(windows_path "$vis_folder/system.w3x")" ||
    report FAIL "attrib +h / +s"
  set_install_path "$logs/reg.log" "$vis_install" || report FAIL "setting InstallPath"
  (cd "$work/cwd" && env LANG=C.UTF-8 LC_ALL= timeout -k 5 120 "$WINE" "$cli_exe" --json) \
    >"$work/attributes.json" 2>"$logs/torvacheck-attributes.log" </dev/null
  vis_listing=$(tr -d '\r' <"$work/attributes.json" | sed -n '/^  "listing": \[$/,/^  \],$/p' | tr -d ' \n')
  if [ "$vis_listing" = '"listing":["TORVA_A07.w3x","notes.txt"],' ]; then
    report PASS "torvacheck.exe lists the read-only map, not the hidden or system file"
  else
    report FAIL "torvacheck.exe's listing with hidden and system files" "$vis_listing"
  fi
  watched=$vis_folder
  scenario attributes-listing C.UTF-8 none main --expect "$(windows_path "$work/attributes.json")" \
    --tag attributes --close escape
  watched=$folder
  chmod u+w "$vis_folder/TORVA_A07.w3x"
  set_install_path "$logs/reg.log" "$install" || report FAIL "setting InstallPath"
fi

# The harness's build of the program, told to take itself as an
# administrator's elevated run (Wine models no UAC), with the game under
# C:\Program Files and two maps in the folder's VirtualStore copy that the
# folder lacks: one notice saying so, then the dialog as usual.
if [ -z "$only" ] || [ "$only" = listing ]; then
  pf_folder="$WINEPREFIX/drive_c/Program Files/Warcraft III/Maps/Download"
  mkdir -p "$pf_folder"
  cp "$folder/TORVA_A07.w3x" "$pf_folder/"
  local_app_data=$(find "$WINEPREFIX/drive_c/users" -mindepth 3 -maxdepth 3 -path '*/AppData/Local' ! -path '*/Public/*' | head -1)
  vs_folder="$local_app_data/VirtualStore/Program Files/Warcraft III/Maps/Download"
  mkdir -p "$vs_folder"
  cp "$folder/TORVA_A07.w3x" "$vs_folder/"
  cp "$folder/TORVA_A07.w3x" "$vs_folder/내려받은 맵.w3x"
  echo notes >"$vs_folder/notes.txt"
  wine_run "$logs/reg.log" 60 reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\System' \
    /v EnableLUA /t REG_DWORD /d 1 /f /reg:64 || report FAIL "setting EnableLUA"
  wine_run "$logs/reg.log" 60 reg add "$GAME_KEY" /v InstallPath /d 'C:\Program Files\Warcraft III' /f ||
    report FAIL "setting InstallPath"
  watched=$pf_folder
  scenario_exe=$seams_exe
  TORVA_TEST_ELEVATED=1 scenario virtual-store-notice C.UTF-8 none virtual-store --missing 2 --shots "$shots"
  scenario_exe=
  watched=$folder
  rm -rf "$WINEPREFIX/drive_c/Program Files/Warcraft III" "$local_app_data/VirtualStore"
  set_install_path "$logs/reg.log" "$install" || report FAIL "setting InstallPath"
fi

# Every file open slowed in the harness's build, as a virus scanner slows the
# first opens after boot: the window is on screen before its first scan ends,
# tells the scan's progress, answers, and takes no command meanwhile.
if [ -z "$only" ] || [ "$only" = listing ]; then
  scenario_exe=$seams_exe
  TORVA_TEST_SLOW_OPEN_MS=150 scenario progress C.UTF-8 none progress \
    --folder "$(windows_path "$folder")" --shots "$shots"
  scenario_exe=
  # Why a map got its verdict: the tooltip and Ctrl+C, over the folder and a
  # map cut short as a broken download leaves it.
  why_install="$work/game-why/Warcraft III"
  mkdir -p "$why_install/Maps"
  cp -a "$folder" "$why_install/Maps/Download"
  head -c -4096 "$folder/TORVA_A07.w3x" >"$why_install/Maps/Download/TORVA_A07 cut.w3x"
  set_install_path "$logs/reg.log" "$why_install" || report FAIL "setting InstallPath"
  watched="$why_install/Maps/Download"
  scenario why C.UTF-8 none why --shots "$shots"
  watched=$folder
  set_install_path "$logs/reg.log" "$install" || report FAIL "setting InstallPath"
fi

# Other font metrics and DPIs than the design's: the bands follow the buttons.
# Without Gulim the dialog takes a stand-in face that carries Hangul.
if [ -z "$only" ] || [ "$only" = metrics ]; then
  set_install_path "$logs/reg.log" "$install" || { report FAIL "setting InstallPath"; exit 1; }
  metrics_scenario() {  # metrics_scenario NAME GULIM DPI STAND-IN DRIVER-ARGS...
    local name=$1 gulim=$2 dpi=$3 standin=$4; shift 4
    set_metrics "$logs/reg.log" "$gulim" "$dpi" "$standin" || { report FAIL "$name: setting the metrics"; return; }
    scenario "$name" C.UTF-8 none hover --shots "$shots" --tag "$name" "$@"
  }
  metrics_scenario hover-nanumgothic NanumGothic 96 none --tops "259|298|336"
  metrics_scenario hover-120dpi "Baekmuk Gulim" 120 none --tops "278|319|360"
  metrics_scenario hover-144dpi "Baekmuk Gulim" 144 none --tops "333|383|432"
  # Baekmuk Batang as Malgun Gothic: its own layout (tops 204/234/264) shows the
  # stand-in was taken; without it Wine's fallback gives 259/298/336.
  metrics_scenario no-gulim none 96 "Baekmuk Batang" --tops "204|234|264"
  set_metrics "$logs/reg.log" "Baekmuk Gulim" 96
fi

if [ -z "$only" ] || [ "$only" = faults ]; then
# shellcheck source=fault_table.sh
. "$here/fault_table.sh"
fi

for bmp in "$artifacts"/*.bmp; do
  [ -e "$bmp" ] || continue
  timeout 60 convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "== screenshots: $(ls "$artifacts"/*.png 2>/dev/null | wc -l) in $artifacts"
echo "== $passed passed, $failed failed, $skipped skipped in $(( $(date +%s) - started )) s"
[ "$failed" -eq 0 ]
