#!/usr/bin/env bash
# Checks that every C++ source and header is formatted by clang-format 14 with the root's
# .clang-format. With --fix, formats them instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
formatter=${CLANG_FORMAT:-}
if [ -z "$formatter" ]; then
  for candidate in clang-format-14 clang-format; do
    if command -v "$candidate" >/dev/null && "$candidate" --version | grep -q 'version 14\.'; then
      formatter=$candidate
      break
    fi
  done
fi
if [ -z "$formatter" ]; then
  echo "format: clang-format 14 is needed (scripts/setup.sh installs it)"
  exit 1
fi
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')
else
  mapfile -t files < <(find velmora tests tools examples bench fuzz -name '*.cpp' -o -name '*.h' 2>/dev/null)
fi
if [ "${1:-}" = --fix ]; then
  "$formatter" -i "${files[@]}"
  exit 0
fi
# One run over every file; it names each line that would change.
mapfile -t bad < <("$formatter" --dry-run "${files[@]}" 2>&1 | grep -oE '^[^:]+:[0-9]+:[0-9]+: (warning|error)' |
                   cut -d: -f1 | sort -u)
if [ "${#bad[@]}" -ne 0 ]; then
  printf 'format: %s is not formatted (scripts/check_format.sh --fix)\n' "${bad[@]}"
  exit 1
fi
echo "format: OK (${#files[@]} files)"
