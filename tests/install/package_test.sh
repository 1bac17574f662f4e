#!/usr/bin/env bash
# Packages a built tree as the Debian packages libvelmora0, libvelmora-dev and velmora-tools,
# checks what each holds and depends on, unpacks them into a scratch root (dpkg -x, no
# installation) and builds the starter project against that root.
#   package_test.sh BUILD_DIR [EXTRA_FLAGS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
extra=${2:-}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
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

# Contents: the run-time package holds the library alone; headers, the link name and the
# build files are the development package's; the tools are their own.
contents() { dpkg-deb -c "$(deb "$1")" | awk '{print $6}' | sed 's|^\./|/|'; }
lib_files=$(contents libvelmora0 | grep -v '/$')
dev_files=$(contents libvelmora-dev)
tools_files=$(contents velmora-tools)
grep -qv '/libvelmora\.so\.[0-9.]*$' <<<"$lib_files" && fail "libvelmora0 holds more than the library"
for file in /include/velmora/Velmora.h /include/velmora/testing/TestSeams.h '/libvelmora\.so$' \
            '/libvelmora-testing\.so\.0$' /cmake/Velmora/VelmoraConfig.cmake /pkgconfig/velmora.pc \
            /pkgconfig/velmora-testing.pc; do
  grep -q -- "$file" <<<"$dev_files" || fail "libvelmora-dev holds no $file"
done
grep -q '/detail/' <<<"$dev_files" && fail "libvelmora-dev holds private headers"
for tool in amftool guiview fxview sndview; do
  grep -q "^/usr/bin/$tool$" <<<"$tools_files" || fail "velmora-tools holds no $tool"
done
[ "$failures" -eq 0 ] || exit 1

# Unpacked into a scratch root: the tools run from it, and the starter builds against it.
scratch=$build/package-root
rm -rf "$scratch"
mkdir -p "$scratch"
for file in "$debs"/*.deb; do dpkg -x "$file" "$scratch"; done
for tool in amftool guiview fxview sndview; do
  status=0
  "$scratch/usr/bin/$tool" >/dev/null 2>&1 || status=$?
  [ "$status" -eq 2 ] || fail "$tool from the packages: exit status $status, not 2"
done
[ "$failures" -eq 0 ] || exit 1
bash "$here/starter_build.sh" "$scratch/usr" "$build/package-starter" "$extra"
echo "packages: OK ($(cd "$debs" && echo *.deb))"
