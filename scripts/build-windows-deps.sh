#!/usr/bin/env bash
# Cross-builds zlib, libpng, libjpeg-turbo, libtiff and zstd for Windows x64 with
# MinGW-w64 from Debian's source packages, as static libraries with their
# headers in build/windows-deps/prefix (where cmake/mingw-w64.cmake looks).
#
# Sources are fetched with `apt-get source` at build time; nothing third-party
# lives in the repository. The build is kept outside the clone, in
# ${TAVRIN_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-~/.cache}/tavrin-windows-deps}/STAMP,
# where STAMP is a checksum of the source versions, the compiler, the
# toolchain file and this script; build/windows-deps/prefix is a link to it.
# When a build of the same stamp is there (from this clone or another), a run
# ends in a second or two. Non-interactive and safe to run again, also from
# two clones at once (the second waits for the first).
#
#   scripts/build-windows-deps.sh           build when out of date
#   scripts/build-windows-deps.sh --force   rebuild regardless of the stamp
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
link="$root/build/windows-deps/prefix"
cache=${TAVRIN_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrin-windows-deps}
toolchain="$root/cmake/mingw-w64.cmake"
triple=x86_64-w64-mingw32
cc="$triple-gcc-posix"
ar="$triple-ar"
jobs=$(nproc 2>/dev/null || echo 2)
source_packages=(zlib libpng1.6 libjpeg-turbo tiff libzstd)
apt_sources=/etc/apt/sources.list.d/debian.sources
force=0
[ "${1:-}" = --force ] && force=1

log() { echo "build-windows-deps: $*"; }
die() { echo "build-windows-deps: $*" >&2; exit 1; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian's sources list comes without source entries; add deb-src to each
# deb822 stanza of the Debian archive that lists only binary packages.
enable_source_entries() {
    [ -f "$apt_sources" ] || die "$apt_sources not found; add deb-src entries for Debian by hand"
    if grep -qE '^Types:[[:space:]]*deb[[:space:]]*$' "$apt_sources"; then
        log "enabling deb-src in $apt_sources"
        as_root sed -i -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb deb-src/' "$apt_sources"
    fi
}

# Versions of one source package known to apt, newest first.
source_versions() {
    apt-cache showsrc --only-source "$1" 2>/dev/null | awk '/^Version:/ { print $2 }' | sort -u |
        sort_debian_versions_descending
}

sort_debian_versions_descending() {
    local versions=() v i j t
    while read -r v; do versions+=("$v"); done
    for ((i = 0; i < ${#versions[@]}; i++)); do
        for ((j = i + 1; j < ${#versions[@]}; j++)); do
            if dpkg --compare-versions "${versions[j]}" gt "${versions[i]}"; then
                t=${versions[i]}; versions[i]=${versions[j]}; versions[j]=$t
            fi
        done
    done
    for v in "${versions[@]}"; do echo "$v"; done
}

ensure_source_lists() {
    enable_source_entries
    if [ -z "$(apt-cache showsrc --only-source zlib 2>/dev/null | head -n 1)" ]; then
        log "updating package lists"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null
    fi
    for p in "${source_packages[@]}"; do
        [ -n "$(source_versions "$p" | head -n 1)" ] || die "no source package $p known to apt"
    done
}

expected_stamp() {
    echo "script $(sha256sum "$0" | cut -d' ' -f1)"
    echo "toolchain $(sha256sum "$toolchain" | cut -d' ' -f1)"
    echo "compiler $("$cc" -dumpfullversion 2>/dev/null || "$cc" -dumpversion)"
    for p in "${source_packages[@]}"; do
        echo "$p $(source_versions "$p" | tr '\n' ' ')"
    done
}

# Fetches and unpacks the newest version of a source package that a mirror
# actually serves (a mirror may list a newer version than its pool holds).
# Prints the directory it unpacked into.
fetch_source() {
    local package=$1 version dir
    for version in $(source_versions "$package"); do
        rm -rf "$work/src/$package" && mkdir -p "$work/src/$package"
        if (cd "$work/src/$package" && apt-get source -q --only-source "$package=$version" >fetch.log 2>&1); then
            dir=$(find "$work/src/$package" -mindepth 1 -maxdepth 1 -type d | head -n 1)
            [ -n "$dir" ] && { echo "$dir"; return 0; }
        fi
        log "source $package=$version not available, trying an older one" >&2
    done
    die "could not fetch any version of $package"
}

cmake_cross() {
    local source_dir=$1 build_dir=$2
    shift 2
    cmake -S "$source_dir" -B "$build_dir" -G Ninja --log-level=WARNING \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTAVRIN_WINDOWS_DEPS="$prefix" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
        -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF "$@" >"$build_dir.configure.log" 2>&1 ||
        { cat "$build_dir.configure.log" >&2; die "configure failed in $source_dir"; }
}

# Debian's zlib source drops win32/ (and with it the DLL's resource script that
# zlib's CMake build needs), so the static library is compiled directly.
build_zlib() {
    local dir objects=() f
    dir=$(fetch_source zlib)
    log "zlib from $dir"
    mkdir -p "$work/build/zlib" "$prefix/lib" "$prefix/include"
    for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
        uncompr zutil; do
        "$cc" -O2 -DNDEBUG -I"$dir" -c "$dir/$f.c" -o "$work/build/zlib/$f.o" &
        objects+=("$work/build/zlib/$f.o")
    done
    wait
    rm -f "$prefix/lib/libz.a"
    "$ar" rcs "$prefix/lib/libz.a" "${objects[@]}"
    cp "$dir/zlib.h" "$dir/zconf.h" "$prefix/include/"
}

build_libpng() {
    local dir
    dir=$(fetch_source libpng1.6)
    log "libpng from $dir"
    cmake_cross "$dir" "$work/build/libpng" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF \
        -DPNG_TESTS=OFF -Dld-version-script=OFF
    cmake --build "$work/build/libpng" -j "$jobs" >"$work/build/libpng.build.log" 2>&1 ||
        { tail -n 40 "$work/build/libpng.build.log" >&2; die "libpng build failed"; }
    cmake --install "$work/build/libpng" >/dev/null
}

# Only the static library and its headers: the tools and TurboJPEG are not needed.
build_libjpeg_turbo() {
    local dir simd=ON
    dir=$(fetch_source libjpeg-turbo)
    log "libjpeg-turbo from $dir"
    command -v nasm >/dev/null || { simd=OFF; log "nasm missing: building libjpeg-turbo without SIMD"; }
    cmake_cross "$dir" "$work/build/libjpeg-turbo" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DWITH_SIMD="$simd" -DREQUIRE_SIMD="$simd"
    cmake --build "$work/build/libjpeg-turbo" -j "$jobs" --target jpeg-static \
        >"$work/build/libjpeg-turbo.build.log" 2>&1 ||
        { tail -n 40 "$work/build/libjpeg-turbo.build.log" >&2; die "libjpeg-turbo build failed"; }
    # Its install step wants the tools too, so the library and headers are copied.
    cp "$work/build/libjpeg-turbo/libjpeg.a" "$prefix/lib/"
    cp "$work/build/libjpeg-turbo/jconfig.h" "$dir/jerror.h" "$dir/jmorecfg.h" "$dir/jpeglib.h" "$prefix/include/"
}

# Uncompressed strips are all the SDK writes, so libtiff is built without any
# external codec: nothing to link beyond libtiff itself.
build_libtiff() {
    local dir option off=()
    dir=$(fetch_source tiff)
    log "libtiff from $dir"
    for option in zlib libdeflate pixarlog jpeg old-jpeg jbig lerc lzma zstd webp cxx tiff-opengl \
        tiff-tools tiff-tests tiff-contrib tiff-docs sphinx; do
        off+=("-D$option=OFF")
    done
    cmake_cross "$dir" "$work/build/tiff" "${off[@]}"
    cmake --build "$work/build/tiff" -j "$jobs" >"$work/build/tiff.build.log" 2>&1 ||
        { tail -n 40 "$work/build/tiff.build.log" >&2; die "libtiff build failed"; }
    cmake --install "$work/build/tiff" >/dev/null
}

# zstd compresses the frames of session files. Only its static library and
# the one header the SDK includes: no programs, no threads (the SDK compresses
# a frame at a time on its own thread), no legacy formats.
build_zstd() {
    local dir
    dir=$(fetch_source libzstd)
    log "zstd from $dir"
    cmake_cross "$dir/build/cmake" "$work/build/zstd" -DZSTD_BUILD_PROGRAMS=OFF -DZSTD_BUILD_TESTS=OFF \
        -DZSTD_BUILD_SHARED=OFF -DZSTD_BUILD_STATIC=ON -DZSTD_MULTITHREAD_SUPPORT=OFF -DZSTD_LEGACY_SUPPORT=OFF
    cmake --build "$work/build/zstd" -j "$jobs" --target libzstd_static >"$work/build/zstd.build.log" 2>&1 ||
        { tail -n 40 "$work/build/zstd.build.log" >&2; die "zstd build failed"; }
    cp "$work/build/zstd/lib/libzstd.a" "$prefix/lib/"
    cp "$dir/lib/zstd.h" "$dir/lib/zstd_errors.h" "$prefix/include/"
}

command -v "$cc" >/dev/null || die "$cc not found (scripts/install-deps.sh installs it)"
command -v apt-get >/dev/null || die "apt-get not found: the sources come from Debian's archive"
ensure_source_lists
expected=$(expected_stamp)
prefix="$cache/$(echo "$expected" | sha256sum | cut -c1-16)"
stamp="$prefix/.built-from"
work="$prefix.work"

# Points build/windows-deps/prefix at the cached build.
use_prefix() {
    mkdir -p "$(dirname "$link")"
    rm -rf "$link"
    ln -s "$prefix" "$link"
    log "up to date ($link -> $prefix)"
}

mkdir -p "$cache"
# One builder per stamp at a time; a second one waits, then finds it built.
exec 9>"$prefix.lock"
flock 9
if [ "$force" -eq 0 ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$expected" ]; then
    use_prefix
    exit 0
fi

log "building into $prefix"
rm -rf "$prefix" "$work"
mkdir -p "$prefix" "$work/src" "$work/build"
# zlib first: libpng finds it in the prefix.
build_zlib
build_libpng
build_libjpeg_turbo
build_libtiff
build_zstd
for lib in libz.a libpng.a libjpeg.a libtiff.a libzstd.a; do
    [ -f "$prefix/lib/$lib" ] || die "$lib missing after the build"
done
# The sources and build trees are only needed once.
rm -rf "$work"
echo "$expected" >"$stamp"
# Builds of other stamps (older sources or scripts) are not used again.
find "$cache" -mindepth 1 -maxdepth 1 ! -name "$(basename "$prefix")*" -exec rm -rf {} +
use_prefix
log "done"
