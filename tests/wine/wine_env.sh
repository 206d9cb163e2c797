# shellcheck shell=bash
# Shared by run.sh and demo.sh (sourced): a private Wine prefix, Xvfb, and
# running Windows programs without pipes and with timeouts.
#
# Wine programs may leave helpers (the server, winedevice.exe) that keep
# inherited pipes open, so their output always goes to files.

export WINEDEBUG=-all
# Wine reads command lines (paths, registry data) in the locale's character
# set: make it UTF-8 when the caller's locale is not.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *[Uu][Tt][Ff]-8* | *[Uu][Tt][Ff]8*) ;;
  *) export LANG=C.UTF-8; unset LC_ALL LC_CTYPE ;;
esac
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# shellcheck source=../../scripts/host-i386.sh
. "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/../../scripts/host-i386.sh"
host_i386

# The loader, chosen as Debian's wine wrapper chooses it: the 32-bit one where
# it can run (it starts 64-bit programs through wine64, and a prefix it makes
# has its 32-bit half), else wine64 itself. Debian's wrapper is not used: on a
# host without 32-bit support, with wine32 installed, it picks a loader that
# cannot start.
wine_binary() {
  if [ "$HOST_I386" = yes ] && [ -x /usr/lib/wine/wine ]; then echo /usr/lib/wine/wine
  elif [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64
  elif command -v wine64 >/dev/null 2>&1; then command -v wine64
  elif command -v wine >/dev/null 2>&1; then command -v wine
  else return 1
  fi
}

wineserver_binary() {
  if command -v wineserver >/dev/null 2>&1; then command -v wineserver
  elif [ -x /usr/lib/wine/wineserver64 ]; then echo /usr/lib/wine/wineserver64
  else return 1
  fi
}

# Whether Windows programs of 32 bits run here: Wine's 32-bit half installed,
# on a kernel that runs 32-bit code.
wine_runs_32bit() { [ "$HOST_I386" = yes ] && [ -x /usr/lib/wine/wine ]; }

# A Windows path for a local path: Wine maps drive Z: to /.
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# start_xvfb LOGDIR: starts Xvfb on a free display; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local logdir=$1 fdfile="$1/xvfb.display"
  : >"$fdfile"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >"$logdir/xvfb.log" 2>&1 </dev/null &
  XVFB_PID=$!
  local _
  for _ in $(seq 100); do
    [ -s "$fdfile" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || { echo "Xvfb did not start (see $logdir/xvfb.log)" >&2; return 1; }
    sleep 0.1
  done
  [ -s "$fdfile" ] || { echo "Xvfb gave no display number" >&2; return 1; }
  DISPLAY=":$(tr -dc 0-9 <"$fdfile")"
  export DISPLAY
}

# wine_run LOG TIMEOUT PROGRAM ARGS...: runs a Windows program to its end.
wine_run() {
  local log=$1 limit=$2; shift 2
  timeout -k 5 "$limit" "$WINE" "$@" >"$log" 2>&1 </dev/null
}

# init_prefix LOGDIR [DESKTOP]: creates $WINEPREFIX once, keeps its server
# running, and sets what the dialog's Korean texts need on any locale. With
# DESKTOP (WIDTHxHEIGHT), every window opens in a virtual desktop with frames.
init_prefix() {
  local logdir=$1 desktop=${2:-}
  mkdir -p "$WINEPREFIX"
  timeout 30 "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  # A prefix made by another Wine (say, before its 32-bit half was installed)
  # may be unable to start anything once Wine updates it: make it anew.
  if [ -f "$WINEPREFIX/system.reg" ] && ! prefix_starts_programs "$logdir"; then
    echo "The Wine prefix $WINEPREFIX cannot start programs (see $logdir/prefix-probe.log); making it anew." >&2
    timeout 30 "$WINESERVER" -k >/dev/null 2>&1 </dev/null
    rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
    timeout 30 "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine_run "$logdir/wineboot.log" 300 wineboot -i || { echo "wineboot failed (see $logdir/wineboot.log)" >&2; return 1; }
    prefix_starts_programs "$logdir" || { echo "a new Wine prefix cannot start programs (see $logdir/prefix-probe.log)" >&2; return 1; }
  fi
  local font
  # Without a Korean locale Wine draws Hangul as boxes unless a Korean font
  # stands in for the system's dialog fonts.
  for font in "MS Shell Dlg" "MS Shell Dlg 2" Tahoma; do
    wine_run "$logdir/reg.log" 60 reg add "$FONT_REPLACEMENTS" /v "$font" /d NanumGothic /f ||
      { echo "wine reg add failed (see $logdir/reg.log)" >&2; return 1; }
  done
  # Baekmuk Gulim has Gulim's metrics: the dialog lands where Korean Windows
  # puts it.
  set_metrics "$logdir/reg.log" "Baekmuk Gulim" 96 || { echo "setting the fonts failed (see $logdir/reg.log)" >&2; return 1; }
  if [ -n "$desktop" ]; then
    { wine_run "$logdir/reg.log" 60 reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
      wine_run "$logdir/reg.log" 60 reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f; } ||
      { echo "setting the virtual desktop failed (see $logdir/reg.log)" >&2; return 1; }
  fi
  # The desktop made during setup ignores these settings: start afresh.
  timeout 30 "$WINESERVER" -k >/dev/null 2>&1 </dev/null
  timeout 30 "$WINESERVER" -w >/dev/null 2>&1 </dev/null
  timeout 30 "$WINESERVER" -p >/dev/null 2>&1 </dev/null
}

# prefix_starts_programs LOGDIR: a 64-bit program, and a 32-bit one where
# they can run, run to their end in $WINEPREFIX. A prefix made where 32-bit
# programs cannot run has no 32-bit half: on a host where they can, it fails
# here and is made anew.
prefix_starts_programs() {
  local log="$1/prefix-probe.log"
  wine_run "$log" 120 cmd /c exit 0 || return 1
  if wine_runs_32bit; then
    wine_run "$log.32" 120 'C:\windows\syswow64\cmd.exe' /c exit 0 || return 1
  fi
}

FONT_REPLACEMENTS='HKCU\Software\Wine\Fonts\Replacements'

# set_metrics LOG GULIM DPI [MALGUN]: the fonts that stand in for Gulim and
# for Malgun Gothic (none: the face is missing, as Gulim is on Windows without
# Korean fonts) and the display's DPI. Programs started afterwards see them.
set_metrics() {
  local log=$1 gulim=$2 dpi=$3 malgun=${4:-none} name
  for name in 굴림 Gulim "맑은 고딕" "Malgun Gothic"; do
    wine_run "$log" 60 reg delete "$FONT_REPLACEMENTS" /v "$name" /f
  done
  if [ "$gulim" != none ]; then
    for name in 굴림 Gulim; do
      wine_run "$log" 60 reg add "$FONT_REPLACEMENTS" /v "$name" /d "$gulim" /f || return 1
    done
  fi
  if [ "$malgun" != none ]; then
    wine_run "$log" 60 reg add "$FONT_REPLACEMENTS" /v "맑은 고딕" /d "$malgun" /f || return 1
  fi
  wine_run "$log" 60 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f || return 1
}

GAME_KEY='HKCU\Software\Blizzard Entertainment\Warcraft III'
# The documents folder: the program asks the shell, which reads "User Shell
# Folders"; torvacheck on Linux reads "Shell Folders" from the prefix.
SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
USER_SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
set_documents() {  # set_documents LOG WINDOWS_PATH
  wine_run "$1" 60 reg add "$SHELL_FOLDERS" /v Personal /d "$2" /f &&
    wine_run "$1" 60 reg add "$USER_SHELL_FOLDERS" /v Personal /d "$2" /f
}

# set_install_path LOG PATH: the game's key with InstallPath = PATH (local path).
set_install_path() {
  wine_run "$1" 60 reg add "$GAME_KEY" /v InstallPath /d "$(windows_path "$2")" /f
}

WINE=$(wine_binary) || { echo "wine is not installed (see scripts/install-deps.sh)" >&2; exit 1; }
# What Debian's wrapper sets when it starts wine64 itself: the loader that
# Wine's own programs (wineboot, start) use to start others.
[ "${WINE##*/}" = wine64 ] && export WINELOADER=$WINE
WINESERVER=$(wineserver_binary) || { echo "wineserver is not installed" >&2; exit 1; }
