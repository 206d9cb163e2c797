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

wine_binary() {
  if command -v wine >/dev/null 2>&1; then command -v wine
  elif [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64
  else return 1
  fi
}

wineserver_binary() {
  if command -v wineserver >/dev/null 2>&1; then command -v wineserver
  elif [ -x /usr/lib/wine/wineserver64 ]; then echo /usr/lib/wine/wineserver64
  else return 1
  fi
}

# A Windows path for a local path: Wine maps drive Z: to /.
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# start_xvfb LOGDIR: starts Xvfb on a free display; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local logdir=$1 fdfile="$1/xvfb.display"
  : >"$fdfile"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >"$logdir/xvfb.log" 2>&1 </dev/null &
  XVFB_PID=$!
  local i
  for i in $(seq 100); do
    [ -s "$fdfile" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || { echo "Xvfb did not start (see $logdir/xvfb.log)" >&2; return 1; }
    sleep 0.1
  done
  [ -s "$fdfile" ] || { echo "Xvfb gave no display number" >&2; return 1; }
  export DISPLAY=":$(tr -dc 0-9 <"$fdfile")"
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
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine_run "$logdir/wineboot.log" 300 wineboot -i || { echo "wineboot failed (see $logdir/wineboot.log)" >&2; return 1; }
  fi
  local font
  # Without a Korean locale Wine draws Hangul as boxes unless a Korean font
  # stands in for the dialog fonts.
  for font in 굴림 Gulim "MS Shell Dlg" "MS Shell Dlg 2" Tahoma; do
    wine_run "$logdir/reg.log" 60 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d NanumGothic /f || return 1
  done
  if [ -n "$desktop" ]; then
    wine_run "$logdir/reg.log" 60 reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f || return 1
    wine_run "$logdir/reg.log" 60 reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f || return 1
  fi
  # The desktop made during setup ignores these settings: start afresh.
  timeout 30 "$WINESERVER" -k >/dev/null 2>&1 </dev/null
  timeout 30 "$WINESERVER" -w >/dev/null 2>&1 </dev/null
  timeout 30 "$WINESERVER" -p >/dev/null 2>&1 </dev/null
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

WINE=$(wine_binary) || { echo "wine is not installed" >&2; exit 1; }
WINESERVER=$(wineserver_binary) || { echo "wineserver is not installed" >&2; exit 1; }
