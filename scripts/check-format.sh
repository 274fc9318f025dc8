#!/usr/bin/env bash
# Fails, naming the files, when a tracked .cpp or .h file is not as
# clang-format-14 lays it out with the tree's .clang-format. To fix them:
#   clang-format-14 -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  # An unpacked copy without its history: every source outside the builds.
  mapfile -t files < <(find . -path './build*' -prune -o -path ./.git -prune -o \
    \( -name '*.cpp' -o -name '*.h' \) -type f -print | sort)
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "No .cpp or .h file to check: is this the source tree?" >&2
  exit 1
fi
# One run over all files is quick; only when it fails, find which ones.
if clang-format-14 --dry-run --Werror "${files[@]}" >/dev/null 2>&1; then
  echo "Formatting: ${#files[@]} files as clang-format-14 lays them out" >&2
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format-14 --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "Not formatted with clang-format-14 (${#bad[@]} of ${#files[@]} files):" >&2
  printf '  %s\n' "${bad[@]}" >&2
else
  # Every file passes alone: the tool itself failed (missing, or a bad
  # .clang-format).
  clang-format-14 --dry-run --Werror "${files[@]}" >/dev/null
  echo "clang-format-14 failed" >&2
fi
exit 1
