#!/usr/bin/env bash
# Soak: runs the demo headless for many frames (default 20000) in an optimised build with
# AddressSanitizer (and its leak checker), sampling its resident memory every two seconds. Fails when a leak is
# reported at exit or when memory keeps growing after the warm-up: the median of the last quarter's
# samples may exceed that of the second quarter by at most 4 MB.
#   bash scripts/soak.sh [frames]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
frames=${1:-20000}
bash "$root/scripts/setup.sh"
build=$root/build/soak
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_TESTS=OFF \
      >/dev/null
cmake --build "$build" -j "$(nproc)" --target velmora_demo >/dev/null
run=$build/soak-run
rm -rf "$run"
mkdir -p "$run"
cd "$run"
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} LIBGL_ALWAYS_SOFTWARE=${LIBGL_ALWAYS_SOFTWARE:-1}
# A small quarantine, so that freed memory held for overrun checks does not pass for growth.
export ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=8
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
start=$(date +%s)
"$build/examples/demo/velmora_demo" --frames "$frames" >demo.out 2>demo.err &
pid=$!
samples=()
while kill -0 "$pid" 2>/dev/null; do
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
  [ -n "$rss" ] && samples+=("$rss") && echo "soak: $(($(date +%s) - start)) s, resident ${rss} kB"
  sleep 2
done
status=0
wait "$pid" || status=$?
cat demo.out
if [ "$status" -ne 0 ]; then
  cat demo.err
  echo "soak: the demo failed (exit $status)"
  exit 1
fi
n=${#samples[@]}
if [ "$n" -lt 8 ]; then
  echo "soak: too short to judge memory ($n samples); run more frames"
  exit 0
fi
# Memory is judged by medians, since a frame that loads a picture or a font page shows a passing
# peak: the second quarter (after the warm-up) against the last quarter.
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
early=$(median "${samples[@]:n/4:n/4}")
late=$(median "${samples[@]:3*n/4}")
peak=$(printf '%s\n' "${samples[@]}" | sort -n | tail -1)
echo "soak: $frames frames in $(($(date +%s) - start)) s; resident memory ${early} kB after the warm-up," \
     "${late} kB in the last quarter (medians), ${peak} kB at most; no leak reported"
if [ $((late - early)) -gt 4096 ]; then
  echo "soak: memory grew by $((late - early)) kB after the warm-up"
  exit 1
fi
