#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Kernwick need.
# Only what is missing is installed; run as root or through sudo.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config
    # libraries
    qt6-base-dev qt6-serialport-dev libgl-dev
    libtiff-dev                # to quieten libtiff's notes under Qt's TIFF reader
    qt6-image-formats-plugins  # Qt's TIFF, TGA, WBMP, WebP and ICNS readers
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    lrzsz          # rx: an independent XMODEM-CRC receiver for the serial tests
    xfonts-base pcf2bdf  # real bitmap fonts, converted to BDF by the import tests
    xfonts-utils   # bdftopcf: the BDF export tests check X11 takes every file
    imagemagick    # convert: the image import tests make BMP, PCX and TGA files as users do
    poppler-utils  # pdfinfo, pdftotext: the chart tests read the PDFs back
    # fuzzing (scripts/fuzz.sh): clang with its libFuzzer and sanitizer runtimes
    clang libclang-rt-14-dev
    # packaging (scripts/package.sh): dpkg-shlibdeps finds the package's dependencies
    dpkg-dev file
    fonts-dejavu-core  # DejaVu Sans and Sans Mono: the typeface import tests and benchmark
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
