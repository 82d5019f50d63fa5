#!/usr/bin/env bash
# format.sh [--check]: formats every C and C++ source of the tree with the root's .clang-format;
# with --check, changes nothing and lists the files that differ from it (failing when there are any).
set -euo pipefail
cd "$(dirname "$0")/.."
files() { git ls-files -z '*.cpp' '*.h' '*.c'; }
if [ "${1:-}" != "--check" ]; then
  files | xargs -0 clang-format -i
  exit 0
fi
differing=$(files | xargs -0 -n 40 -P "$(nproc)" sh -c 'for f; do clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"; done' sh)
[ -z "$differing" ] && exit 0
echo "$differing"
echo "These files differ from .clang-format: run scripts/format.sh to format the tree."
exit 1
