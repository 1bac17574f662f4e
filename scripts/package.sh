#!/usr/bin/env bash
# Builds the Debian packages libvelmora0, libvelmora-dev and velmora-tools (see
# cmake/Packaging.cmake) into build/package/packages/:
#   bash scripts/package.sh                      an optimised build under /usr, then the packages
#   bash scripts/package.sh --build-dir DIR      the packages of an existing, built tree, into
#                                                DIR/packages (the tests package their own tree)
# Install them with: sudo apt-get install ./build/package/packages/*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=
if [ "${1:-}" = --build-dir ] && [ -n "${2:-}" ]; then
  build=$(cd "$2" && pwd)
elif [ $# -ne 0 ]; then
  echo "usage: $0 [--build-dir DIR]" >&2
  exit 2
else
  bash "$root/scripts/setup.sh"
  build=$root/build/package
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_EXAMPLES=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)"
fi
out=$build/packages
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
ls "$out"/*.deb
