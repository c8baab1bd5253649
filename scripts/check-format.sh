#!/usr/bin/env bash
# Fails when a C or C++ file of the project differs from the house style in .clang-format, naming
# each place (clang-format's own messages). Reformat with: clang-format -i FILE...
#   check-format.sh [SOURCE_ROOT]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
command -v clang-format >/dev/null || { echo "check-format: clang-format is missing (package clang-format)" >&2; exit 1; }
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.c' '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path ./build -prune -o -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print)
fi
clang-format --dry-run --Werror "${files[@]}"
echo "check-format: ${#files[@]} files in the house style"
