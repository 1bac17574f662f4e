#!/usr/bin/env bash
# Checks which way the source folders depend on each other:
# - an engine folder includes only itself and the folders below it, in this order from the
#   bottom: platform < core < config, message, input < resource < graphics, sound < text <
#   gui, particle < app < testing (folders on one level do not include each other);
# - engine folders include no SDL, OpenGL, Xlib, image, zlib, FreeType, fontconfig, iconv or libsndfile
#   header and no private header of the platform layer: those belong to velmora/platform;
# - the platform layer includes nothing of the engine;
# - tools, examples and the guides' examples include only installed headers (no detail/ folder).
# Prints each offending line and exits 1 if there is one.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

declare -A level=([platform]=0 [core]=1 [config]=2 [message]=2 [input]=2 [resource]=3 [graphics]=4 [sound]=4
                  [text]=5 [gui]=6 [particle]=6 [app]=7 [testing]=8)
forbidden='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](SDL|GL/|GLES|EGL/|epoxy/|X11/|png\.h|pngconf\.h|jpeglib\.h|jerror\.h|jconfig\.h|zlib\.h|ft2build\.h|freetype/|fontconfig/|iconv\.h|sndfile\.h)'
failures=0
fail() {
  echo "layout: $1"
  failures=$((failures + 1))
}

while IFS= read -r file; do
  rel=${file#velmora/}
  folder=${rel%%/*}
  [ "$folder" = "$rel" ] && continue  # Velmora.h and Export.h at the root
  mine=${level[$folder]:-}
  if [ -z "$mine" ]; then
    fail "$file: folder velmora/$folder has no place in the layer order (scripts/check_layout.sh)"
    continue
  fi
  while IFS= read -r hit; do
    line=${hit%%:*}
    text=${hit#*:}
    if [ "$folder" != platform ] && [[ $text =~ $forbidden ]]; then
      fail "$file:$line: an engine folder includes a system library header: $text"
    fi
    if [[ $text =~ \<velmora/([A-Za-z0-9_]+)(/[^>]*)?\> ]]; then
      other=${BASH_REMATCH[1]}
      path=${BASH_REMATCH[2]}
      [ -z "$path" ] && {
        [ "$other" = Velmora.h ] && fail "$file:$line: the umbrella header is for games: $text"
        continue
      }
      [ "$other" = "$folder" ] && continue
      theirs=${level[$other]:-}
      if [ -z "$theirs" ]; then
        fail "$file:$line: includes an unknown folder: $text"
      elif [ "$theirs" -ge "$mine" ]; then
        fail "$file:$line: velmora/$folder includes velmora/$other, which is not below it: $text"
      elif [ "$other" = platform ] && [ "$folder" != testing ] && [[ $path == */detail/* ]]; then
        fail "$file:$line: an engine folder includes a private platform header: $text"
      fi
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find velmora -name '*.h' -o -name '*.cpp' | sort)

while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  fail "$file:${rest%%:*}: a tool or example includes a private header: ${rest#*:}"
done < <(grep -rnE --include='*.h' --include='*.cpp' '#[[:space:]]*include[[:space:]]*[<"]velmora/.*/detail/' tools examples \
           docs)

if [ "$failures" -ne 0 ]; then
  echo "layout: $failures problem(s)"
  exit 1
fi
echo "layout: OK"
