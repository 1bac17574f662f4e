#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as errors, and
# runs every test headless (SDL's offscreen driver on Mesa's llvmpipe), the layout and format
# checks included.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
build=$root/build/test
jobs=$(nproc)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_TESTS=ON -DVELMORA_WERROR=ON >/dev/null
cmake --build "$build" -j "$jobs"
cd "$build"
ctest --output-on-failure -j "$jobs" "$@"
