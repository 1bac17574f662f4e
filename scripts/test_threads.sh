#!/usr/bin/env bash
# Builds the suites whose code runs on several threads (tests/CMakeLists.txt lists them in
# VELMORA_THREAD_SUITES: the mixer on SDL's audio thread, streaming threads) with
# ThreadSanitizer in build/tsan, with only the library they need, and runs them: a data race
# or a lock-order inversion fails the run. Further arguments go to ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
build=$root/build/tsan
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_TSAN=ON -DVELMORA_BUILD_TESTS=ON \
  -DVELMORA_BUILD_EXAMPLES=OFF -DVELMORA_BUILD_TOOLS=OFF -DVELMORA_WERROR=ON >/dev/null
cmake --build "$build" --target thread_tests -j "$(nproc)"
cd "$build"
ctest --output-on-failure -L threads "$@"
