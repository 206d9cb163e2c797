#!/usr/bin/env bash
# Opens TorvaMapChecker.exe under Wine on a download folder.
#
#   tests/wine/demo.sh --win-build DIR --folder .../Maps/Download --artifacts DIR
#                      [--torvacheck PATH] [--prefix WINEPREFIX]
#
# With a display the real dialog opens there; close it to end. Without one the
# dialog is shown under Xvfb and a screenshot is saved (the path is printed).
# The game's registry key of the Wine prefix (default: a private one under
# ~/.cache) is pointed at the folder's install folder.
set -uo pipefail

usage() { sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

win_build='' folder='' artifacts='' torvacheck=''
prefix="${XDG_CACHE_HOME:-$HOME/.cache}/torva-map-checker/wineprefix"
while [ $# -gt 0 ]; do
  case $1 in
    --win-build) win_build=$2; shift 2 ;;
    --folder) folder=$2; shift 2 ;;
    --artifacts) artifacts=$2; shift 2 ;;
    --torvacheck) torvacheck=$2; shift 2 ;;
    --prefix) prefix=$2; shift 2 ;;
    *) usage ;;
  esac
done
[ -n "$win_build" ] && [ -n "$folder" ] && [ -n "$artifacts" ] || usage

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_env.sh
. "$here/wine_env.sh"

[ -d "$folder" ] || { echo "no such folder: $folder" >&2; exit 2; }
folder=$(cd "$folder" && pwd)
case $folder in
  */Maps/Download) install=${folder%/Maps/Download} ;;
  *) echo "the folder must be <install folder>/Maps/Download: $folder" >&2; exit 2 ;;
esac
exe="$(cd "$win_build" && pwd)/app/TorvaMapChecker.exe"
driver="$(cd "$win_build" && pwd)/tests/wine/driver/torva_wine_driver.exe"
[ -f "$exe" ] || { echo "missing: $exe (build the win64 preset)" >&2; exit 2; }
mkdir -p "$artifacts" "$prefix"
artifacts=$(cd "$artifacts" && pwd)
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEPREFIX
logs=$(mktemp -d /tmp/torva-demo.XXXXXX)
XVFB_PID=
prog_pid=

cleanup() {
  [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null
  timeout 20 "$WINESERVER" -k >/dev/null 2>&1 </dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  cp "$logs"/*.log "$artifacts"/ 2>/dev/null
  rm -rf "$logs"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "${DISPLAY:-}" ]; then
  echo "Setting up the Wine prefix $WINEPREFIX (the first time takes a while)..."
  # Native windows on this display, not a virtual desktop of an earlier run.
  init_prefix "$logs" || exit 1
  wine_run "$logs/reg.log" 60 reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f
  set_install_path "$logs/reg.log" "$install" || { echo "could not set InstallPath" >&2; exit 1; }
  echo "Opening TorvaMapChecker.exe on $folder; close the dialog to end."
  if ! (cd "$logs" && exec "$WINE" "$exe") >"$logs/program.log" 2>&1 </dev/null; then
    echo "TorvaMapChecker.exe ended with an error; its last output:" >&2
    tail -n 5 "$logs/program.log" >&2
    exit 1
  fi
  exit 0
fi

echo "No display (DISPLAY is not set): the dialog runs under Xvfb and a screenshot is saved instead."
if [ -n "$torvacheck" ]; then
  "$torvacheck" --folder "$folder" scan
  echo
fi
[ -f "$driver" ] || { echo "missing: $driver (build the win64 preset)" >&2; exit 2; }
command -v Xvfb >/dev/null && command -v convert >/dev/null || { echo "needs Xvfb and ImageMagick" >&2; exit 2; }
start_xvfb "$logs" || exit 1  # both say why
init_prefix "$logs" 1024x768 || exit 1
set_install_path "$logs/reg.log" "$install" || { echo "could not set InstallPath" >&2; exit 1; }
(cd "$logs" && exec timeout -k 5 180 "$WINE" "$exe") >"$logs/program.log" 2>&1 </dev/null &
prog_pid=$!
shot="$artifacts/demo-main-dialog"
wine_run "$logs/driver-wait.log" 120 "$driver" wait-main --timeout 90 --shot "$(windows_path "$shot.bmp")"
rc=$?
wine_run "$logs/driver-close.log" 60 "$driver" main --close escape
if [ "$rc" -ne 0 ] || [ ! -f "$shot.bmp" ]; then
  echo "The dialog did not come up (logs in $artifacts). The program's last output:" >&2
  tail -n 5 "$logs/program.log" >&2
  echo "The driver's:" >&2
  tail -n 5 "$logs/driver-wait.log" >&2
  exit 1
fi
timeout 60 convert "$shot.bmp" "$shot.png" && rm -f "$shot.bmp"
echo "Screenshot of the dialog under Xvfb: $shot.png"
