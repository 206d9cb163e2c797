# shellcheck shell=bash disable=SC2154  # run.sh sets work, logs, shots, ...
# The fault table under Wine, sourced by run.sh after its own scenarios: more
# entries than one scan examines, and registry values end to end (a folder
# that vanishes while the dialog is open is the Win32 tests'). Each case checks that no file is
# lost and that the user is told what they need. Uses run.sh's helpers. Files
# held open or read-only and odd names (trailing dots and blanks, devices)
# are the Win32 file adapter's, tested in tests/win32.

bad_inputs=0 faults=0 lost_total=0
# FAULT_CASES="many registry" picks cases (default: all).
fault_case() { [ -z "${FAULT_CASES:-}" ] || [[ " $FAULT_CASES " == *" $1 "* ]]; }
bad_input() { bad_inputs=$((bad_inputs + 1)); }
fault() { faults=$((faults + 1)); }

fault_template="$work/template16"
if [ ! -d "$fault_template" ]; then
  timeout 120 "$sample_tool" "$fault_template" --variant 16 >"$logs/sample16.log" 2>&1 || { cat "$logs/sample16.log"; exit 1; }
fi
mkdir -p "$work/f-documents"
set_documents "$logs/reg.log" "$(windows_path "$work/f-documents")"

# Files that must outlive a case: every file under DIR but the named ones
# (paths relative to DIR) keeps its name and bytes. Counts the losses.
file_sums() {  # file_sums DIR: "md5  ./path" lines, names unescaped
  (cd "$1" && find . -type f -print0 | xargs -0 -r md5sum -z | tr '\0' '\n' | LC_ALL=C sort)
}
lost_before() { file_sums "$1" >"$2"; }
check_lost() {  # check_lost CASE DIR BEFORE [GONE "a|b"]
  local gone=() lost=0 line name g expected
  local -A now=()
  IFS='|' read -r -a gone <<<"${4:-}"
  while IFS= read -r line; do now["$line"]=1; done < <(file_sums "$2")
  while IFS= read -r line; do
    name=${line#*  ./}
    expected=
    for g in "${gone[@]}"; do [ "$g" = "$name" ] && expected=1; done
    [ -n "$expected" ] && continue
    if [ -z "${now["$line"]:-}" ]; then
      lost=$((lost + 1))
      echo "   lost or changed: $name"
    fi
  done <"$3"
  lost_total=$((lost_total + lost))
  if [ "$lost" -eq 0 ]; then
    report PASS "$1: no file lost"
  else
    report FAIL "$1: $lost files lost or changed"
  fi
}

fault_install() {  # fault_install NAME: a fresh install with the sample folder
  local inst="$work/f-$1"
  rm -rf "$inst" && mkdir -p "$inst/Maps" && cp -a "$fault_template" "$inst/Maps/Download"
  printf '%s' "$inst"
}

if fault_case many; then
# -- More entries than one scan examines: one notice per scan, the count line
# shows them all, and an entry after the 1000th is never judged.
for total in 1001 5000; do
  echo "== faults: $total entries"
  inst="$work/f-many$total"
  dl="$inst/Maps/Download"
  rm -rf "$inst" && mkdir -p "$dl"
  for i in $(seq -w 1 $((total - 2))); do : >"$dl/f$i.dat"; done
  cp "$fault_template/TORVA_A05.w3x" "$dl/a_TORVA_A05 copy.w3x"
  cp "$fault_template/TORVA_A05.w3x" "$dl/zz_TORVA_A05 copy.w3x"  # listed last, in any order
  bad_input
  lost_before "$dl" "$work/many.before"
  set_install_path "$logs/reg.log" "$inst"
  start_program "faults-many$total" C.UTF-8
  run_driver "faults-many$total" C.UTF-8 many --listed "$total" --tab2 "a_TORVA_A05 copy.w3x" \
    --shots "$shots" --tag "faults-many$total"
  finish_program "faults-many$total"
  check_lost "faults-many$total" "$dl" "$work/many.before"
  rm -rf "$inst"
done

fi

if fault_case registry; then
# -- Registry values end to end: lengths around both buffers and the folder
# buffer, a binary value, a trailing backslash. What the adapter makes of each
# type, of a missing NUL and of any length is in tests/win32.
echo "== faults: registry values"
long_path() {  # long_path BYTES: a Windows path of exactly BYTES bytes
  local path='Z:\' part
  while [ ${#path} -lt "$1" ]; do
    part=$(printf 'p%.0s' $(seq 200))
    path="$path$part\\"
  done
  printf '%s' "${path:0:$1}"
}
reg_case() {  # reg_case NAME TYPE DATA: InstallPath of TYPE
  bad_input
  wine_run "$logs/reg.log" 60 reg delete "$GAME_KEY" /f
  wine_run "$logs/reg.log" 60 reg add "$GAME_KEY" /v InstallPath /t "$2" /d "$3" /f ||
    report FAIL "$1: reg add $2"
}

reg_case reg-sz-2040 REG_SZ "$(long_path 2040)"
scenario reg-sz-2040 C.UTF-8 none notice --letter A --code 234 --shot "$shots\\faults-reg-2040.bmp"

# A value over 1024 bytes is read whole by the second query: the notice names
# its start and end (a long path is shown cut in the middle).
shown_path() { local LC_ALL=C p=$1; if [ ${#p} -le 160 ]; then printf '%s' "$p"; else printf '%s\xE2\x80\xA6%s' "${p:0:60}" "${p: -100}"; fi; }
command_scenario_folder() {  # a listing of FOLDER, nothing changed in it
  local name=$1 folder=$2; shift 2
  lost_before "$folder" "$work/$name.before"
  start_program "$name" C.UTF-8
  run_driver "$name" C.UTF-8 "$@"
  finish_program "$name"
  check_lost "$name" "$folder" "$work/$name.before"
}
long_value=$(long_path 1100)
reg_case reg-expand-sz-1100 REG_EXPAND_SZ "$long_value"
command_scenario_folder reg-expand-sz-1100 "$work/cwd" no-folder --candidate "$(shown_path "$long_value\Maps\Download")"

# An empty InstallPath names no folder ("" + "\Maps\Download" would be the
# current drive's root): the no-folder notice names the documents candidate,
# and torvacheck.exe never looks there either.
reg_case reg-empty REG_SZ ""
command_scenario_folder reg-empty "$work/cwd" no-folder \
  --candidate "$(windows_path "$work/f-documents")\\Warcraft III\\Maps\\Download"
(cd "$work/cwd" && env LANG=C.UTF-8 LC_ALL= timeout -k 5 120 "$WINE" "$cli_exe" folders) \
  >"$work/folders-empty.txt" 2>"$logs/torvacheck-folders-empty.log" </dev/null
empty_rc=$?
if [ "$empty_rc" -eq 1 ] && tr -d '\r' <"$work/folders-empty.txt" | grep -A1 -x -F '1. HKCU InstallPath: \Maps\Download' |
   grep -q -x -F '   not a full path: never used'; then
  report PASS "reg-empty: torvacheck.exe folders never uses \\Maps\\Download"
else
  report FAIL "reg-empty: torvacheck.exe folders" "exit $empty_rc: $(tr -d '\r' <"$work/folders-empty.txt" | tr '\n' '|')"
fi

# An existing folder whose path is longer than a current directory can be
# (MAX_PATH): Windows refuses it as the current directory, and under Wine
# making it current ends the program at its next DLL lookup. It is told as a
# folder whose path is too long, and nothing is listed.
deep="$work/deep"
for part in 1 2 3 4 5; do deep="$deep/$(printf 'd%.0s' $(seq 120))"; done
deep_inst=$(fault_install deep-src)
mkdir -p "$deep" && mv "$deep_inst" "$deep/install"
bad_input
wine_run "$logs/reg.log" 60 reg delete "$GAME_KEY" /f
set_install_path "$logs/reg.log" "$deep/install"
command_scenario_folder long-existing-folder "$deep/install/Maps/Download" no-folder \
  --candidate "$(shown_path "$(windows_path "$deep/install")\Maps\Download")" --too-long yes \
  --shots "$shots"

# REG_BINARY: the path's UTF-8 bytes without a NUL.
bin_inst=$(fault_install "binary/워크래프트 III")
reg_case reg-binary REG_BINARY "$(printf '%s' "$(windows_path "$bin_inst")" | od -An -tx1 | tr -d ' \n')"
command_scenario_folder reg-binary "$bin_inst/Maps/Download" listing \
  --folder "$(windows_path "$bin_inst/Maps/Download")" --shots "$shots" --tag faults-reg-binary

# A trailing backslash: D:\WC3\ gives D:\WC3\\Maps\Download, which Windows
# accepts; reading and deleting by bare name work there too.
slash_inst=$(fault_install slash)
reg_case reg-trailing-backslash REG_SZ "$(windows_path "$slash_inst")\\"
wine_run "$logs/reg-query.log" 60 reg query "$GAME_KEY" /v InstallPath
if grep -q -F "$(windows_path "$slash_inst")\\" "$logs/reg-query.log" &&
   ! grep -q -F "$(windows_path "$slash_inst")\\\\" "$logs/reg-query.log"; then
  report PASS "reg-trailing-backslash: InstallPath ends in one backslash"
else
  report FAIL "reg-trailing-backslash: InstallPath as stored" "$(tr -d '\r' <"$logs/reg-query.log")"
fi
dl="$slash_inst/Maps/Download"
lost_before "$dl" "$work/slash.before"
start_program reg-trailing-backslash C.UTF-8
run_driver reg-trailing-backslash C.UTF-8 faults --folder "$(windows_path "$dl")" --tag faults-slash \
  --tab3 "TORVA double.w3x|TORVA_A11.1_hack.w3x|TORVA_A19fast (1).w3x|TORVA_A32.w3x" \
  --button 1008 --notices "TORVA_A32.w3x" \
  --gone "TORVA double.w3x|TORVA_A11.1_hack.w3x|TORVA_A19fast (1).w3x|TORVA_A32.w3x"
finish_program reg-trailing-backslash
check_lost reg-trailing-backslash "$dl" "$work/slash.before" \
  "TORVA double.w3x|TORVA_A11.1_hack.w3x|TORVA_A19fast (1).w3x|TORVA_A32.w3x"

fi

if fault_case cli; then
# -- torvacheck.exe on names Windows reads otherwise than Linux: a Linux name
# holding ':' (a drive to a path parser), a source named with a trailing dot
# beside the same name without it, and a file grown past 4 GiB.
echo "== faults: torvacheck.exe on names and sizes Windows reads otherwise"
cli_exe=$(abspath "$win_build/cli/torvacheck.exe")
cli() { env LANG=C.UTF-8 LC_ALL= timeout -k 5 120 "$WINE" "$cli_exe" "$@" </dev/null 2>>"$logs/torvacheck-exe.log" | tr -d '\r'; }
hacked_src="$fault_template/TORVA_A11.1_hack.w3x"

inst="$work/f-colon"
rm -rf "$inst" && mkdir -p "$inst/Download" "$inst/aside"
cp "$hacked_src" "$inst/Download/a:b.w3x"
bad_input
cli --folder "$(windows_path "$inst/Download")" --yes --json \
  --move-to "$(windows_path "$inst/aside")" delete-hacked >"$work/colon.json"
colon_status=${PIPESTATUS[0]}
if [ ! -e "$inst/Download/a:b.w3x" ] && cmp -s "$hacked_src" "$inst/aside/a:b.w3x"; then
  report PASS "torvacheck.exe --move-to: a:b.w3x moved, never read as drive a:"
else
  report FAIL "torvacheck.exe --move-to a:b.w3x" "status $colon_status; $(ls "$inst/Download" "$inst/aside" | tr '\n' ' ')"
fi

inst="$work/f-dot"
rm -rf "$inst" && mkdir -p "$inst/Download" "$inst/src"
cp "$hacked_src" "$inst/src/x."
printf 'not the map' >"$inst/src/x"
bad_input
cli --folder "$(windows_path "$inst/Download")" --yes insert "$(windows_path "$inst/src")\\x." >"$work/dot.txt"
if cmp -s "$hacked_src" "$inst/Download/x." && [ ! -e "$inst/Download/x" ]; then
  report PASS "torvacheck.exe insert 'x.': x. checked and copied, never x"
else
  report FAIL "torvacheck.exe insert 'x.'" "$(cat "$work/dot.txt"; ls -A "$inst/Download" | tr '\n' ' ')"
fi

# Sparse: 4 GiB + the release's size reads as the release's size where a
# 32-bit position wraps. Hacked by its real size, and the dialog's 1010 deletes it.
inst="$work/f-big"
dl="$inst/Maps/Download"
rm -rf "$inst" && mkdir -p "$dl"
cp "$fault_template/TORVA_A32.w3x" "$dl/TORVA_A32.w3x"
cp "$fault_template/TORVA_A05.w3x" "$dl/TORVA_A05.w3x"
truncate -s 4298698615 "$dl/TORVA_A32.w3x"
bad_input
cli --folder "$(windows_path "$dl")" --json scan >"$work/big-scan.json"
cli --json info "$(windows_path "$dl")\\TORVA_A32.w3x" >"$work/big-info.json"
cli --folder "$(windows_path "$dl")" --json --dry-run delete-all >"$work/big-dry.json"
if grep -q '"size": 4298698615' "$work/big-scan.json" &&
   tr -d ' \n' <"$work/big-scan.json" | grep -q '"hacked":\["TORVA_A32.w3x"\]' &&
   grep -q '"size": 4298698615' "$work/big-info.json" &&
   tr -d ' \n' <"$work/big-dry.json" | grep -q '"deleted":\["TORVA_A32.w3x"\]'; then
  report PASS "torvacheck.exe past 4 GiB: the real size, hacked, delete-all removes it"
else
  report FAIL "torvacheck.exe past 4 GiB" "$(head -c 600 "$work/big-scan.json"; head -c 300 "$work/big-dry.json")"
fi
set_install_path "$logs/reg.log" "$inst"
start_program faults-big C.UTF-8
run_driver faults-big C.UTF-8 faults --folder "$(windows_path "$dl")" --tag faults-big \
  --tab3 "TORVA_A32.w3x" --button 1010 --notices "TORVA_A32.w3x" --gone "TORVA_A32.w3x"
finish_program faults-big
if [ ! -e "$dl/TORVA_A32.w3x" ] && cmp -s "$fault_template/TORVA_A05.w3x" "$dl/TORVA_A05.w3x"; then
  report PASS "faults-big: 1010 deleted the 4 GiB copy and kept TORVA_A05.w3x"
else
  report FAIL "faults-big" "$(ls -la "$dl")"
fi
rm -rf "$inst"

fi

echo "== fault table: $bad_inputs bad inputs tried, $faults faults injected, $lost_total files lost"
