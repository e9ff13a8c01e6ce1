#!/usr/bin/env bash
# Installs every Debian package that building, testing and demonstrating the
# SDK needs, on a fresh Debian 12 machine. Safe to run again.
set -euo pipefail

packages=(
  # toolchain and build
  build-essential cmake ninja-build pkg-config git ca-certificates
  # libraries of the SDK (Linux build)
  libpng-dev libjpeg62-turbo-dev libtiff-dev zlib1g-dev libsqlite3-dev libx11-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # Windows build and its test runs
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine
  dpkg-dev nasm
  # preview tests, and the dialogs' GTK view with its screenshots
  xvfb xauth x11-utils libgtk-3-dev fonts-ipafont-gothic locales
  # independent readers of the files we write
  ffmpeg libtiff-tools pngcheck python3 python3-pil imagemagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
else
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The dialogs' Japanese tests and screenshots run under a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
