#!/usr/bin/env bash
# Installs the library into a prefix under the build folder, then builds the minimal example
# game and its test from outside the tree twice: with pkg-config and g++ (velmora and
# velmora-testing), and with CMake's find_package (Velmora::velmora and Velmora::testing);
# and the starter project the same two ways; and the example game with find_package, its art
# packed by the installed amftool, run by its own tests (headless, on its autopilot).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
example=$2
extra=${3:-}
prefix=$build/install-prefix
work=$build/install-consumer
rm -rf "$prefix" "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$prefix" >/dev/null

# A game's headers and library carry no test hook.
if grep -q '#include <velmora/testing' "$prefix/include/velmora/Velmora.h"; then
  echo "the umbrella header includes the testing component"
  exit 1
fi
if nm -DC "$prefix"/lib*/libvelmora.so* 2>/dev/null | grep -q 'VelmoraTest::'; then
  echo "libvelmora exports test seams"
  exit 1
fi

# The installed tools find the installed library: run without arguments, each answers with
# its usage (status 2).
for tool in amftool guiview fxview sndview replayinfo; do
  status=0
  "$prefix/bin/$tool" >/dev/null 2>&1 || status=$?
  [ "$status" -eq 2 ] || { echo "installed $tool: exit status $status, not 2" >&2; exit 1; }
done

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig:$prefix/lib/x86_64-linux-gnu/pkgconfig
cd "$work"
# shellcheck disable=SC2046,SC2086
g++ -std=c++17 "$example/main.cpp" -o minimal $(pkg-config --cflags --libs velmora) $extra
./minimal 3
# shellcheck disable=SC2046,SC2086
g++ -std=c++17 "$example/minimal_test.cpp" -o minimal_test $(pkg-config --cflags --libs velmora-testing) $extra
./minimal_test

cmake -S "$example" -B cmake_build -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="$extra" -DCMAKE_EXE_LINKER_FLAGS="$extra" >/dev/null
cmake --build cmake_build >/dev/null
./cmake_build/minimal 3
(cd cmake_build && ctest --output-on-failure >/dev/null)
bash "$here/starter_build.sh" "$prefix" "$work/starter" "$extra"

breakout=$(cd "$here/../../examples/breakout" && pwd)
cmake -S "$breakout" -B breakout_build -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="$extra" -DCMAKE_EXE_LINKER_FLAGS="$extra" >/dev/null
cmake --build breakout_build -j 2 >/dev/null
[ -x breakout_build/breakout_test ] || { echo "the breakout's test was not built against the install"; exit 1; }
(cd breakout_build && ctest --output-on-failure >/dev/null)
echo "install consumer: OK"
