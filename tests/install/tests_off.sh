#!/usr/bin/env bash
# Configures the tree with -DVELMORA_BUILD_TESTS=OFF and checks that no target that is a test
# (the suites, the display game, the guides' examples, the breakout's test) is left to build.
#   tests_off.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source=$1
work=$2
rm -rf "$work"
cmake -S "$source" -B "$work" -DVELMORA_BUILD_TESTS=OFF >/dev/null
targets=$(cmake --build "$work" --target help | sed -n 's/^\.\.\. \([^ ]*\).*/\1/p')
found=$(grep -E '(^|_)tests?(_|$)|^display_game$|^docs_example' <<<"$targets" || true)
rm -rf "$work"
if [ -n "$found" ]; then
  echo "built with VELMORA_BUILD_TESTS=OFF:" $found
  exit 1
fi
echo "no tests: OK"
