#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Idempotent and
# quiet when everything is present already. Works as root or through sudo.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake ninja-build ccache pkg-config git
    # the sanitizer and fuzzing build
    clang libclang-rt-14-dev
    # tests and benchmarks
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    # reference decoders and tools of the picture and ZIP tests
    libpng-dev pngcheck libjpeg-turbo-progs zip unzip
    # the drawing benchmark compares our text path with Pango's
    libpango1.0-dev
    # reference renderers of the metafile tests and the picture benchmarks
    # (libwmf's wmf2svg with its fonts, emf2svg-conv, rsvg-convert, ImageMagick)
    libwmf-bin fonts-urw-base35 emf2svg librsvg2-bin imagemagick
    # libraries of the program
    zlib1g-dev libjpeg-dev libgif-dev libhunspell-dev
    libicu-dev libxkbcommon-dev xkb-data libfontconfig-dev libfreetype-dev libcairo2-dev libx11-dev
    # the windowing layer (Qt 6 GUI with its platform plugins) and the desktop tests
    qt6-base-dev qt6-qpa-plugins xvfb xclip xdotool xauth
    # fonts the documents name (metric-compatible families)
    fonts-liberation fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea fonts-dejavu-core fonts-dejavu
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/tmp/rezozuri-setup.log 2>&1; then
    $sudo apt-get update -q >>/tmp/rezozuri-setup.log 2>&1
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >>/tmp/rezozuri-setup.log 2>&1 || {
        cat /tmp/rezozuri-setup.log
        exit 1
    }
fi
