#!/usr/bin/env bash
# Installs the Debian packages the build, tests, demo, tools and benchmarks need.
# Only missing packages are installed, so a second run costs nothing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl2-dev libepoxy-dev libegl-mesa0 libgl1-mesa-dri libegl-dev libx11-dev
  libfreetype-dev libfontconfig-dev fonts-arphic-uming fonts-dejavu-core
  libpng-dev libjpeg-dev zlib1g-dev
  libsndfile1-dev  # sound files: WAV, Ogg Vorbis, FLAC, Opus and MP3 (its writer makes the sound seeds)
  googletest libgtest-dev libgmock-dev
  imagemagick  # the image tests: run-length BMP and YCCK JPEG files made by ImageMagick
  lintian  # the packages test checks the Debian packages
  xvfb xauth libxtst-dev  # an X server for the display tests, which press keys through XTest
  xdotool  # the display tests play a recorded session through it, as a player would
  clang-format  # version 14 on Debian 12: the format check
  clang libclang-rt-14-dev llvm  # the clang test build and the fuzz targets: sanitizers, libFuzzer, symbolizer
  libsfml-dev  # a peer of the sprite benchmark
  libsdl2-mixer-dev  # the peer of the sound benchmark
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
