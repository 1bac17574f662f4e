#!/usr/bin/env bash
# Builds the library and the demo game (optimised) and runs the demo: in a window when a
# display exists, otherwise off-screen for a fixed number of frames. Extra arguments go to
# the demo (for example --frames 600).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
build=$root/build/release
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target velmora_demo
run=$build/demo-run
mkdir -p "$run"
cd "$run"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ $# -eq 0 ]; then
  # No display: run off-screen and keep the last frame as a screenshot.
  set -- --frames 120 --snap "$run/demo.bmp"
fi
"$build/examples/demo/velmora_demo" "$@"
echo "demo: log written to $run/VLMLog.html"
