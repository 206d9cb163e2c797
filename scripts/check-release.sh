#!/usr/bin/env bash
# Checks what scripts/release.sh wrote: the zips' contents, their sums, and
# that each program needs nothing but Windows' own DLLs, carries no debug
# sections, imports nothing Windows 7 lacks, reads no test switch, and has the
# manifest of its build.
#
#   scripts/check-release.sh DIST-DIR
set -uo pipefail
dist=${1:?usage: scripts/check-release.sh DIST-DIR}
dist=$(cd "$dist" && pwd)
failed=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "PASS $what"; else echo "FAIL $what"; failed=1; fi
}

# DLLs every Windows from 7 on has in System32 (msvcrt.dll is the system's C
# runtime, not a redistributable).
windows_dlls='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|COMCTL32|COMDLG32|ole32|msvcrt)\.dll$'
# Functions from Windows 8.1 and 10 that must not be imported (looked up at
# run time, if ever needed).
newer_imports='(ForDpi|DpiAwarenessContext|GetDpiForMonitor|SetProcessDpiAwareness\b)'

work=$(mktemp -d /tmp/torva-check-release.XXXXXX)
trap 'rm -rf "$work"' EXIT

check "SHA256SUMS matches the zips" bash -c "cd '$dist' && sha256sum --quiet -c SHA256SUMS"
for zip in "$dist"/TorvaMapChecker-*-win32.zip "$dist"/TorvaMapChecker-*-win64.zip; do
  [ -f "$zip" ] || { echo "FAIL missing $zip"; failed=1; continue; }
  name=$(basename "$zip" .zip)
  case $name in *-win32) tool=i686-w64-mingw32 format=pei-i386 ;; *) tool=x86_64-w64-mingw32 format=pei-x86-64 ;; esac
  check "$name: exactly the guide and the two programs" \
    test "$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')" = "README-ko.txt TorvaMapChecker.exe torvacheck.exe "
  mkdir -p "$work/$name"
  unzip -q -o "$zip" -d "$work/$name"
  guide="$work/$name/README-ko.txt"
  check "$name: the guide starts with a UTF-8 byte-order mark" \
    test "$(head -c 3 "$guide" | od -An -tx1 | tr -d ' ')" = efbbbf
  check "$name: the guide has CRLF line ends only" \
    bash -c "! LC_ALL=C grep -qv $'\r$' '$guide'"
  for exe in TorvaMapChecker.exe torvacheck.exe; do
    path="$work/$name/$exe"
    dump="$work/$name-$exe.dump"
    "$tool-objdump" -p "$path" >"$dump"
    check "$name/$exe: $format" bash -c "'$tool-objdump' -f '$path' | grep -q 'file format $format'"
    sed -n 's/^\s*DLL Name: //p' "$dump" | sort -u >"$dump.dlls"
    check "$name/$exe: only Windows' own DLLs ($(tr '\n' ' ' <"$dump.dlls"))" \
      bash -c "! grep -qviE '$windows_dlls' '$dump.dlls'"
    check "$name/$exe: nothing Windows 7 lacks is imported" \
      bash -c "! grep -qE '$newer_imports' '$dump'"
    check "$name/$exe: no debug sections" \
      bash -c "! '$tool-objdump' -h '$path' | grep -q '\.debug'"
    # The harness's seams live in a build of their own, never in these.
    check "$name/$exe: no test switch" \
      bash -c "! { strings -a '$path'; strings -a -e l '$path'; } | grep -q 'TORVA_TEST'"
  done
  manifest_level=$(grep -ac '<requestedExecutionLevel' "$work/$name/TorvaMapChecker.exe")
  check "$name: the program's manifest declares DPI awareness" grep -aq '<dpiAware' "$work/$name/TorvaMapChecker.exe"
  case $name in
    *-win32) check "$name: no requestedExecutionLevel (UAC virtualises it like the game)" test "$manifest_level" = 0 ;;
    *) check "$name: requestedExecutionLevel declared" test "$manifest_level" != 0 ;;
  esac
done
[ "$failed" = 0 ] && echo "== release checked" || { echo "== release check failed" >&2; exit 1; }
