#!/usr/bin/env bash
# Installs the Debian packages a job needs, on a fresh Debian 12 machine.
# Safe to run again.
#
#   scripts/install-deps.sh          everything the tests need (all builds,
#                                    the Windows build under Wine, readers)
#   scripts/install-deps.sh --demo   only what building and running the
#                                    demonstration needs (no Wine, no MinGW)
#   scripts/install-deps.sh --bench  everything the tests need, and OpenCV,
#                                    which the imaging benchmark measures
#                                    beside our kernels when it is present
set -euo pipefail

demo=(
  # toolchain and build
  build-essential cmake ninja-build pkg-config ca-certificates ccache
  # libraries of the SDK (Linux build)
  libpng-dev libjpeg62-turbo-dev libtiff-dev zlib1g-dev libsqlite3-dev libx11-dev
  # session files compress their frames with zstd when asked
  libzstd-dev
  # the demonstration shows what ffprobe reads from its recording
  ffmpeg
)
tests=(
  git
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # the asan build (clang: AddressSanitizer, UndefinedBehaviorSanitizer and
  # the libFuzzer targets with their runtimes)
  clang libclang-rt-14-dev
  # Windows build and its test runs
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine
  dpkg-dev nasm
  # preview tests, and the dialogs' GTK view with its screenshots
  xvfb xauth x11-utils libgtk-3-dev fonts-ipafont-gothic locales
  xdotool  # the viewer's tests drive it with real keys and pointer moves
  # independent readers of the files we write
  libtiff-tools pngcheck python3 python3-pil imagemagick
  # the Python package and its tests (mypy checks its type hints; a venv
  # takes it with pip), the API reference
  python3-numpy python3-pytest mypy python3-venv python3-pip python3-setuptools doxygen lintian
  # the GStreamer element, its GstHarness tests, the RTSP server and the pipelines of its tests and docs
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev libgstrtspserver-1.0-dev gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-tools gstreamer1.0-plugins-base-apps gstreamer1.0-libav python3-gst-1.0
)
bench=(libopencv-dev)

case "${1:-}" in
  --demo) packages=("${demo[@]}") ;;
  --bench) packages=("${demo[@]}" "${tests[@]}" "${bench[@]}") ;;
  "") packages=("${demo[@]}" "${tests[@]}") ;;
  *) echo "usage: $0 [--demo|--bench]" >&2; exit 2 ;;
esac

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
