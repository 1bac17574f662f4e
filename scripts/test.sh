#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as errors, and
# runs every test headless (SDL's offscreen driver on Mesa's llvmpipe), the layout and format
# checks included. With --clang the same build is made by clang in build/test-clang: its
# sanitizers catch what gcc's miss. Further arguments go to ctest. A test that failed only because
# LeakSanitizer's own tracer crashed at exit is run once more (rerun_tracer_crashes.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
build=$root/build/test
compilers=()
if [ "${1:-}" = --clang ]; then
  shift
  build=$root/build/test-clang
  compilers=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
fi
jobs=$(nproc)
cmake -S "$root" -B "$build" "${compilers[@]}" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_TESTS=ON \
  -DVELMORA_WERROR=ON >/dev/null
cmake --build "$build" -j "$jobs"
cd "$build"
ctest --output-on-failure -j "$jobs" "$@" && exit 0
bash "$root/scripts/rerun_tracer_crashes.sh"

