#!/usr/bin/env bash
# Doxygen's input filter for the public headers, whose comments are plain // comments: the
# lines at the top of a header describe the file, comment lines before a declaration
# document it, and a comment after a member on its own line documents that member.
exec awk '
  NR == 1 && /^\/\/ / { print "/// @file"; head = 1 }
  head && /^\/\/( |$)/ { sub(/^\/\//, "///"); print; next }
  { head = 0 }
  /^[ \t]*\/\/ / { sub(/\/\/ /, "/// "); print; next }
  /[;,{][ \t]*\/\/ / { sub(/[ \t]*\/\/ /, " ///< "); print; next }
  { print }' "$1"
