#!/usr/bin/env bash
# Fails when an include points up or sideways against the layers, which only
# point down:
#   front ends (app/ ui/, cli/)  ->  dialog layer  ->  platform adapters
#   ->  core (cleanup/ locate/ -> scan/)  ->  base/
# layout/ (the dialog's portable arithmetic) stands alone below the dialog
# layer and ui/; model/ (the folder's listing, the views, the refresh and
# hover rules both programs draw) stands on the core and layout/, below ui/
# and cli/. The dialog reaches the core through model/ alone, but for the
# locator that finds the folder at start-up.
# texts/ (every Korean text, wording what the core reports) stands on the
# core, below model/, the dialog layer (its message boxes), ui/ and cli/.
# A front end's composition root is the only file that names an adapter, the
# core includes only the standard library, and no product target builds
# anything under tests/.
set -euo pipefail
cd "$(dirname "$0")/.."

core="base scan locate cleanup"
declare -A may_include=(
  [base]="base"
  [scan]="base scan"
  [locate]="base scan locate"
  [cleanup]="base scan cleanup"
  [platform/posix]="$core platform/posix"
  [platform/win32]="$core platform/win32"
  [layout]="layout"
  [texts]="$core texts"
  [model]="$core layout texts model"
  [platform/win32/dialog]="$core layout texts platform/win32 platform/win32/dialog"
  [ui]="base locate texts model platform/win32/dialog ui res"
  [app]="$core platform/win32 platform/win32/dialog ui app res"
  [cli]="$core texts model cli"
  [tools]="base scan tools"
  [res]="res"
)
# The one conversion of base/ that must ask the platform (code page 949).
declare -A platform_header_allowed=(
  [base/code_page_949_posix.cpp]="<iconv.h>"
  [base/code_page_949_win32.cpp]="<windows.h>"
)
# Composition roots: the one file per program that picks the adapters.
declare -A root_may_include=(
  [cli/platform_posix.cpp]="platform/posix"
  [cli/platform_win32.cpp]="platform/win32"
  [cli/main.cpp]="platform/win32"  # the Win32 entry point's console text
)

failures=0
fail() {
  echo "check-layers: $1" >&2
  failures=$((failures + 1))
}

files=$(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -vE '^(tests|bench)/' || true)
for file in $files; do
  [ -f "$file" ] || continue
  dir=$(dirname "$file")
  allowed=${may_include[$dir]-}
  if [ -z "${may_include[$dir]+set}" ]; then
    fail "$file: folder $dir has no place in the layers (add it to scripts/check-layers.sh)"
    continue
  fi
  allowed="$allowed ${root_may_include[$file]-}"
  while IFS= read -r line; do
    number=${line%%:*}
    target=$(sed -E 's/^[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
    [[ $target == */* ]] || continue  # a header beside the file
    target_dir=$(dirname "$target")
    ok=0
    for a in $allowed; do [ "$target_dir" = "$a" ] && ok=1; done
    [ $ok -eq 1 ] || fail "$file:$number includes \"$target\": $dir may not point at $target_dir"
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
  # The core speaks the standard library only (and the compiler's vector
  # intrinsics): no <windows.h>, <unistd.h>, <sys/...>.
  if [[ " $core layout " == *" $dir "* ]]; then
    while IFS= read -r line; do
      [ "${line#*:}" = "#include ${platform_header_allowed[$file]-none}" ] && continue
      fail "$file:${line%%:*} includes a platform header: ${line#*:}"
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<[^>]*(\.h|/)[^>]*>' "$file" |
      grep -v '<immintrin.h>' || true)
  fi
done

# Nothing under tests/ is part of a product target.
for list in $(git ls-files -co --exclude-standard -- '*CMakeLists.txt' | grep -vE '^(tests|bench)/|^CMakeLists.txt$'); do
  if grep -nE '(^|[^#]*)tests/' "$list" | grep -vE '^[0-9]+:[[:space:]]*#' >/dev/null; then
    fail "$list names something under tests/"
  fi
done

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures include(s) against the layers" >&2
  exit 1
fi
echo "check-layers: every include points down"
