#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UBSan, in build/fuzz) and runs each
# for SECONDS (default 60), two at a time, headless. Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
# Each target starts from its seeds in fuzz/corpus/<target>/ and the corpus it grew in earlier
# runs (build/fuzz/corpus/<target>/). Findings are saved in build/fuzz/findings/, logs in
# build/fuzz/logs/. Prints a table of executions and coverage; exits 1 if any target found
# something.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2
  exit 2
fi
bash "$root/scripts/setup.sh"
build=$root/build/fuzz
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVELMORA_BUILD_FUZZ=ON -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_EXAMPLES=OFF -DVELMORA_BUILD_TOOLS=OFF \
  -DVELMORA_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(find "$root/fuzz" -maxdepth 1 -name '*.cpp' -printf '%f\n' | sed 's/\.cpp$//' | sort)
fi
for t in "${targets[@]}"; do
  [ -x "$build/fuzz/bin/fuzz_$t" ] || { echo "fuzz: no target $t" >&2; exit 2; }
done
mkdir -p "$build/findings" "$build/logs"

export SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run() {
  local t=$1
  local corpus=$build/corpus/$t
  local args=(-max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 -timeout=60
              -artifact_prefix="$build/findings/$t-")
  mkdir -p "$corpus"
  [ -f "$root/fuzz/$t.dict" ] && args+=(-dict="$root/fuzz/$t.dict")
  if "$build/fuzz/bin/fuzz_$t" "${args[@]}" "$corpus" "$root/fuzz/corpus/$t" >"$build/logs/$t.log" 2>&1; then
    echo ok >"$build/logs/$t.result"
  else
    echo FOUND >"$build/logs/$t.result"
  fi
}

# Two at a time: each target is one process, and the engine's GL runs on the same cores.
jobs=2
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  echo "fuzz: $t for ${seconds} s"
  run "$t" &
done
wait

failed=0
printf '%-8s %12s %8s %8s %8s  %s\n' target execs exec/s cov ft result
for t in "${targets[@]}"; do
  log=$build/logs/$t.log
  result=$(cat "$build/logs/$t.result")
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | cut -d' ' -f2)
  printf '%-8s %12s %8s %8s %8s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "$result"
  if [ "$result" != ok ]; then
    failed=1
    echo "fuzz: $t found something; see $log and build/fuzz/findings/$t-*" >&2
    grep -E 'ERROR|runtime error|broken|SUMMARY' "$log" | head -5 >&2 || true
  fi
done
exit "$failed"
