#!/usr/bin/env bash
# Packages a built tree as the Debian packages libvelmora0, libvelmora-dev and velmora-tools,
# checks what each holds and depends on, unpacks them into a scratch root (dpkg -x, no
# installation) and builds the starter project against that root.
#   package_test.sh BUILD_DIR [EXTRA_FLAGS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
extra=${2:-}
failures=0
fail() {
  echo "packages: $1" >&2
  failures=$((failures + 1))
}

bash "$here/../../scripts/package.sh" --build-dir "$build" >/dev/null
debs=$build/packages
deb() { ls "$debs/$1"_*.deb 2>/dev/null; }
for package in libvelmora0 libvelmora-dev velmora-tools; do
  [ -n "$(deb $package)" ] || fail "no $package package"
done
[ "$failures" -eq 0 ] || exit 1
version=$(dpkg-deb -f "$(deb libvelmora0)" Version)

# Debian's own checks: any error fails (warnings are left to judgement).
lintian_out=$(lintian --fail-on error --tag-display-limit 0 "$debs"/*.deb 2>&1) || {
  echo "$lintian_out" | grep -v '^running with root' >&2
  fail "lintian found errors"
}
[ "$failures" -eq 0 ] || exit 1

# Dependencies: by name, each one (but our own) a package that dpkg knows, so that no name is
# misspelt. (Lists are read into variables first: grep -q may stop reading a pipe early.)
depends() { dpkg-deb -f "$(deb "$1")" Depends | tr ',' '\n' | sed 's/^ *//; s/ *$//'; }
lib_depends=$(depends libvelmora0)
for name in libsdl2-2.0-0 libepoxy0 libfreetype6 libfontconfig1 libpng16-16 libjpeg62-turbo zlib1g libsndfile1 libgl1 libegl1 \
            fonts-arphic-uming libstdc++6 libc6; do
  grep -q "^$name\( \|$\)" <<<"$lib_depends" || fail "libvelmora0 does not depend on $name"
done
for package in libvelmora-dev velmora-tools; do
  grep -qx "libvelmora0 (= $version)" <<<"$(depends $package)" ||
    fail "$package does not depend on libvelmora0 (= $version)"
done
for package in libvelmora0 libvelmora-dev velmora-tools; do
  while read -r name _; do
    [ "$name" = libvelmora0 ] && continue
    [ "$(dpkg-query -W -f='${Status}' "$name" 2>/dev/null)" = "install ok installed" ] ||
      fail "$package depends on $name, which is no installed package"
  done < <(depends $package | sed 's/|.*//')
done

# Contents: the run-time package holds the library alone (and its Debian documents); headers, the link name and the
# build files are the development package's; the tools are their own.
contents() { dpkg-deb -c "$(deb "$1")" | awk '{print $6}' | sed 's|^\./|/|'; }
lib_files=$(contents libvelmora0 | grep -v '/$' | grep -v '^/usr/share/doc/libvelmora0/')
dev_files=$(contents libvelmora-dev)
tools_files=$(contents velmora-tools)
grep -qv '/libvelmora\.so\.[0-9.]*$' <<<"$lib_files" && fail "libvelmora0 holds more than the library"
for file in /include/velmora/Velmora.h /include/velmora/testing/TestSeams.h '/libvelmora\.so$' \
            '/libvelmora-testing\.so\.0$' /cmake/Velmora/VelmoraConfig.cmake /pkgconfig/velmora.pc \
            /pkgconfig/velmora-testing.pc; do
  grep -q -- "$file" <<<"$dev_files" || fail "libvelmora-dev holds no $file"
done
grep -q '/detail/' <<<"$dev_files" && fail "libvelmora-dev holds private headers"
for tool in amftool guiview fxview padview sndview replayinfo; do
  grep -q "^/usr/bin/$tool$" <<<"$tools_files" || fail "velmora-tools holds no $tool"
  grep -q "^/usr/share/man/man1/$tool.1.gz$" <<<"$tools_files" || fail "velmora-tools holds no man page of $tool"
done
grep -q '/cmake/Velmora/VelmoraToolsTargets.cmake$' <<<"$tools_files" || fail "velmora-tools exports no Velmora::amftool"
for package in libvelmora0 libvelmora-dev velmora-tools; do
  for file in copyright changelog.Debian.gz; do
    contents "$package" | grep -qx "/usr/share/doc/$package/$file" || fail "$package holds no /usr/share/doc/$package/$file"
  done
done
[ "$failures" -eq 0 ] || exit 1

# Unpacked into a scratch root: the tools run from it, and the starter builds against it.
scratch=$build/package-root
rm -rf "$scratch"
mkdir -p "$scratch"
for file in "$debs"/*.deb; do dpkg -x "$file" "$scratch"; done
# Under /usr nothing names the system's own folders: no run path in the programs and
# libraries, no -I/usr/include or run path from pkg-config.
for file in "$scratch"/usr/bin/* "$scratch"/usr/lib/*/libvelmora*.so.0 "$scratch"/usr/lib/libvelmora*.so.0; do
  [ -e "$file" ] || continue
  readelf -d "$file" | grep -q 'R.*PATH' && fail "$file carries a run path"
done
pc_flags=$(PKG_CONFIG_PATH="$scratch/usr/lib/pkgconfig:$scratch/usr/lib/x86_64-linux-gnu/pkgconfig" \
  pkg-config --cflags --libs velmora)
[ "$(echo $pc_flags)" = "-lvelmora" ] || fail "pkg-config of the packages gives '$pc_flags', not '-lvelmora'"
# The unpacked root is no system folder: the loader is told where its libraries lie.
export LD_LIBRARY_PATH=$scratch/usr/lib:$scratch/usr/lib/x86_64-linux-gnu
for tool in amftool guiview fxview sndview replayinfo; do
  status=0
  "$scratch/usr/bin/$tool" >/dev/null 2>&1 || status=$?
  [ "$status" -eq 2 ] || fail "$tool from the packages: exit status $status, not 2"
done
"$scratch/usr/bin/padview" --version | grep -q '^padview (Velmora) ' || fail "padview from the packages: no version"

[ "$failures" -eq 0 ] || exit 1
STARTER_PKG_CONFIG_DEFINE_PREFIX=1 bash "$here/starter_build.sh" "$scratch/usr" "$build/package-starter" "$extra"

# A game that packs its art at build time with the packages' amftool.
pack=$build/package-pack
rm -rf "$pack"
mkdir -p "$pack/source"
cp "$here/../../examples/starter/ship.png" "$pack/source/"
cat >"$pack/source/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(PackArt NONE)
find_package(Velmora REQUIRED)
velmora_pack_amf(OUTPUT art/ship.amf DELAY 50 PICTURES ship.png ship.png)
add_custom_target(art ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/art/ship.amf)
CMAKE
cmake -S "$pack/source" -B "$pack/build" -DCMAKE_PREFIX_PATH="$scratch/usr" >/dev/null
cmake --build "$pack/build" >/dev/null
"$scratch/usr/bin/amftool" info "$pack/build/art/ship.amf" | grep -q "2 pictures" ||
  fail "velmora_pack_amf did not pack the pictures"
echo "packages: OK ($(cd "$debs" && echo *.deb))"
