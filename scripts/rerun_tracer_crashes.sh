#!/usr/bin/env bash
# Run in a ctest build folder after a failed run. LeakSanitizer's stop-the-world tracer can
# crash at exit while the process's other threads (Mesa's rasteriser, SDL's) wind down: the
# test's own output then says it passed and only "Tracer caught signal" follows. When every
# failed test failed that way, they run once more, leak checking included; any other failure
# stands.
set -euo pipefail
failed=Testing/Temporary/LastTestsFailed.log
log=Testing/Temporary/LastTest.log
[ -s "$failed" ] || exit 1
while IFS=: read -r _ name; do
  # The test's block in the log: from its "Testing: name" line to its result line.
  block=$(awk -v name="$name" '$0 ~ "^[0-9]+/[0-9]+ Testing: " name "$" {on=1} on {print} on && /^Test (Passed|Failed)/ {exit}' "$log")
  if ! grep -q "Tracer caught signal" <<<"$block" || ! grep -q "LeakSanitizer has encountered a fatal error" <<<"$block"; then
    exit 1
  fi
done <"$failed"
echo "test: LeakSanitizer's tracer crashed at exit in $(cut -d: -f2 "$failed" | paste -sd' '); running them again"
ctest --output-on-failure --rerun-failed
