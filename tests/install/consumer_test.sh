#!/usr/bin/env bash
# Installs the library into a prefix under the build folder, then builds a tiny game from
# outside the tree twice: with pkg-config and g++, and with CMake's find_package.
set -euo pipefail
build=$1
here=$2
extra=${3:-}
prefix=$build/install-prefix
work=$build/install-consumer
rm -rf "$prefix" "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$prefix" >/dev/null

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig:$prefix/lib/x86_64-linux-gnu/pkgconfig
cd "$work"
# shellcheck disable=SC2046,SC2086
g++ -std=c++17 "$here/tiny_game.cpp" -o tiny_game $(pkg-config --cflags --libs velmora) $extra
./tiny_game

cmake -S "$here/cmake_consumer" -B cmake_build -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="$extra" -DCMAKE_EXE_LINKER_FLAGS="$extra" >/dev/null
cmake --build cmake_build >/dev/null
./cmake_build/tiny_game
echo "install consumer: OK"
