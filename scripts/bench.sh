#!/usr/bin/env bash
# Builds the library and every benchmark under bench/ (optimised, without sanitizers) and runs
# each benchmark program in turn. Headless by default: SDL's offscreen driver on Mesa's
# llvmpipe; set SDL_VIDEODRIVER and LIBGL_ALWAYS_SOFTWARE to use something else. The sprite
# benchmark compares with libraries that need an X server, so it runs all of them on one Xvfb
# display (SDL on its x11 driver) with llvmpipe, for equal conditions. `--only NAME` runs
# bench_NAME alone. Extra arguments go to every benchmark run (for example --quick; or
# `--only sound --soak 600`, bench_sound's own option).
set -euo pipefail
only=
if [ "${1:-}" = --only ]; then
  only=bench_${2:?--only needs a benchmark name, such as sound}
  shift 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
build=$root/build/bench
# The examples and tools too: the frame benchmark runs the example game, whose art amftool packs.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_BENCH=ON -DVELMORA_BUILD_TESTS=OFF \
      -DVELMORA_BUILD_EXAMPLES=ON -DVELMORA_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

only=
if [ "${1:-}" = --only ] && [ $# -ge 2 ]; then
  only=bench_$2
  shift 2
fi

export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
export LIBGL_ALWAYS_SOFTWARE=${LIBGL_ALWAYS_SOFTWARE-1}
run=$build/bench-run
mkdir -p "$run"
cd "$run"
status=0
found=0
for program in "$build"/bench/bin/bench_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program")
  [ -z "$only" ] || [ "$name" = "$only" ] || continue
  found=1
  echo "== $name"
  if [ "$name" = bench_sprites ]; then
    env -u SDL_VIDEODRIVER LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 1024x768x24" "$program" "$@" || status=1
  else
    "$program" "$@" || status=1
  fi
  echo
done
if [ "$found" -eq 0 ]; then
  echo "bench: no benchmark programs ${only:+named $only }were built" >&2
  exit 1
fi
exit "$status"
