#!/usr/bin/env bash
# The house style, checked: every C++ file as clang-format would write it
# (.clang-format), every shell script clean under shellcheck at warning level.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run -Werror "${sources[@]}"
echo "check-style: ${#sources[@]} C++ files formatted"

mapfile -t scripts < <(git ls-files '*.sh')
shellcheck -x -S warning "${scripts[@]}"
echo "check-style: ${#scripts[@]} shell scripts clean"
