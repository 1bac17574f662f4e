#!/usr/bin/env bash
# Keeps the code the guides show equal to the files the tests build and run. In the pages
# (docs/*.md, docs/*/*.md), a line
#     <!-- code: PATH -->          or          <!-- code: PATH#NAME -->
# (PATH from the repository's root) is followed by a fenced block holding that file, or the
# part of it between the lines "// [NAME]" and "// [/NAME]", dedented. Marker lines of this
# kind are never shown. C++ and CMake blocks must come from files this way.
# Checks every page and shows what differs; with --fix, writes the blocks from the files.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fix=0
[ "${1:-}" = --fix ] && fix=1
failures=0
fence='```'

# The text of PATH, or of its region NAME; status 3 when there is no such region.
extract() {
  awk -v region="$2" '
    BEGIN { inside = region == ""; found = region == ""; n = 0 }
    { sub(/\r$/, "") }
    region != "" && $0 ~ ("^[ \t]*// \\[" region "\\][ \t]*$") { inside = 1; found = 1; next }
    region != "" && $0 ~ ("^[ \t]*// \\[/" region "\\][ \t]*$") { inside = 0; next }
    /^[ \t]*\/\/ \[\/?[A-Za-z0-9_-]+\][ \t]*$/ { next }
    inside { out[++n] = $0 }
    END {
      if (!found) exit 3
      indent = -1
      for (i = 1; i <= n; i++)
        if (out[i] ~ /[^ \t]/) {
          match(out[i], /^ */)
          if (indent < 0 || RLENGTH < indent) indent = RLENGTH
        }
      for (i = 1; i <= n; i++) print(indent > 0 ? substr(out[i], indent + 1) : out[i])
    }' "$1"
}

# The page with every marked block written from its file; problems go to standard error.
render() {
  local page=$1 state=text line path region text status
  while IFS= read -r line || [ -n "$line" ]; do
    case $state in
      text)
        printf '%s\n' "$line"
        if [[ $line =~ ^\<!--\ code:\ ([^\ #]+)(#([A-Za-z0-9_-]+))?\ --\>$ ]]; then
          path=${BASH_REMATCH[1]}
          region=${BASH_REMATCH[3]}
          state=open
        elif [[ $line =~ ^$fence(cpp|c\+\+|cmake)$ ]]; then
          echo "$page: a ${BASH_REMATCH[1]} block that no <!-- code: ... --> line ties to a file" >&2
          state=skip
        elif [[ $line == "$fence"* ]]; then
          state=skip
        fi
        ;;
      open)
        printf '%s\n' "$line"
        if [[ $line != "$fence"* ]]; then
          echo "$page: no code block after <!-- code: $path${region:+#$region} -->" >&2
          state=text
          continue
        fi
        if [ ! -f "$path" ]; then
          echo "$page: $path does not exist" >&2
        else
          text=$(extract "$path" "$region")
          status=$?
          if [ "$status" -eq 0 ]; then
            printf '%s\n' "$text"
          else
            echo "$page: $path has no region $region" >&2
          fi
        fi
        state=block
        ;;
      block)
        if [ "$line" = "$fence" ]; then
          printf '%s\n' "$line"
          state=text
        fi
        ;;
      skip)
        printf '%s\n' "$line"
        [ "$line" = "$fence" ] && state=text
        ;;
    esac
  done <"$page"
}

shopt -s nullglob
pages=(docs/*.md docs/*/*.md)
for page in "${pages[@]}"; do
  errors=$(render "$page" 2>&1 >/dev/null)
  if [ -n "$errors" ]; then
    echo "$errors"
    failures=$((failures + 1))
    continue
  fi
  if [ "$fix" -eq 1 ]; then
    rendered=$(render "$page")
    printf '%s\n' "$rendered" >"$page"
  elif ! diff -u --label "$page" --label "$page (from its files)" "$page" <(render "$page"); then
    failures=$((failures + 1))
  fi
done
if [ "$failures" -ne 0 ]; then
  echo "docs: $failures page(s) differ from their code (scripts/check_docs.sh --fix writes the blocks)"
  exit 1
fi
echo "docs: OK (${#pages[@]} pages)"
