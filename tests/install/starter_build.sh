#!/usr/bin/env bash
# Builds the starter project (examples/starter) outside the tree against a Velmora installed
# under PREFIX, with CMake's find_package and with pkg-config and g++, and runs each build
# headless for a few frames from its own folder, where its picture lies. The starter exits
# non-zero when it could not load its picture.
#   starter_build.sh PREFIX WORK [EXTRA_FLAGS]
set -euo pipefail
prefix=$1
work=$2
extra=${3:-}
starter=$(cd "$(dirname "$0")/../../examples/starter" && pwd)
rm -rf "$work"
mkdir -p "$work/pkg-config"

cmake -S "$starter" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="$extra" -DCMAKE_EXE_LINKER_FLAGS="$extra" >/dev/null
cmake --build "$work/cmake" >/dev/null
(cd "$work/cmake" && ./starter --frames 5 >/dev/null)

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig:$prefix/lib/x86_64-linux-gnu/pkgconfig
# Files made for /usr name /usr itself; unpacked elsewhere, pkg-config finds the prefix from
# their folder (STARTER_PKG_CONFIG_DEFINE_PREFIX=1).
define_prefix=
[ "${STARTER_PKG_CONFIG_DEFINE_PREFIX:-}" = 1 ] && define_prefix=--define-prefix
cp "$starter/ship.png" "$work/pkg-config/"
# shellcheck disable=SC2046,SC2086
g++ -std=c++17 "$starter/main.cpp" -o "$work/pkg-config/starter" $(pkg-config $define_prefix --cflags --libs velmora) $extra
(cd "$work/pkg-config" && ./starter --frames 5 >/dev/null)
echo "starter against $prefix: OK"
