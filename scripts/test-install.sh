#!/usr/bin/env bash
# Installs the SDK into a scratch prefix, builds every example against it
# with find_package and with pkg-config, and runs them on the simulated
# camera; checks the installed tool and Python package; packs the .deb and
# installs it into a scratch root. With a MinGW build (build/mingw) and Wine,
# does the same for the Windows zip.
#
#   scripts/test-install.sh            (after: cmake --preset default && cmake --build --preset default)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-install.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

export TAVRIN_SIM="0;interval=0;settle=0"
export TAVRIN_REGISTRY="$scratch/registry.sqlite3"
export TAVRIN_SHARED_MEMORY_NAME="tavrin-install-$$"
unset TAVRIN_SDK_LIBRARY LD_LIBRARY_PATH
# Debian's Python, which has python3-numpy.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
examples=(list_cameras snap_png stream trigger record_avi settings)

step() { echo "=== test-install: $*"; }

# Builds the examples in $2 with the extra CMake arguments after it, then
# runs each one (through $RUN, e.g. a Wine wrapper) in $2/run.
build_and_run() {
    local name=$1 dir=$2
    shift 2
    step "examples by $name"
    cmake -S examples -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >"$dir.log" 2>&1 || { cat "$dir.log"; return 1; }
    cmake --build "$dir" >>"$dir.log" 2>&1 || { cat "$dir.log"; return 1; }
    mkdir -p "$dir/run"
    for example in "${examples[@]}"; do
        local args=()
        [ "$example" = snap_png ] && args=("$dir/run/snap.png")
        [ "$example" = record_avi ] && args=("$dir/run/clip.avi" 500)
        (cd "$dir/run" && ${RUN:-} "$dir/$example${EXE:-}" "${args[@]}") >"$dir/run/$example.out" 2>&1 ||
            { echo "FAILED: $example ($name)"; cat "$dir/run/$example.out"; return 1; }
        echo "  $example: $(tail -n 1 "$dir/run/$example.out")"
    done
}

# Without a display the installed tool says why no dialog appears and
# exits 1; the module itself loads (its GTK dependency is met).
check_dialog() {
    local tool=$1 out
    if out=$(DISPLAY= "$tool" --sim 0 dialog analog 2>&1); then
        echo "dialog without a display exited 0: $out"; return 1
    fi
    grep -q "no display" <<<"$out" || { echo "dialog without a display did not say why: $out"; return 1; }
    if out=$(DISPLAY=:tavrin-none "$tool" --sim 0 dialog analog 2>&1); then
        echo "dialog on a missing display exited 0: $out"; return 1
    fi
    grep -q "GTK cannot open the display" <<<"$out" || { echo "the dialog module did not load: $out"; return 1; }
    echo "  dialog: $out"
}

native() {
    local build=build/default prefix="$scratch/prefix"
    step "install into $prefix"
    cmake --build --preset default --target TavrinSdk tavrin TavrinSdkGtk $(cmake --build --preset default --target help | grep -oE '^(gsttavrin|tavrin-rtsp-server)' | tr '\n' ' ') >/dev/null
    cmake --install "$build" --prefix "$prefix" >/dev/null
    local libdir
    libdir=$(dirname "$(find "$prefix" -name 'libTavrinSdk_860VX_RUX.so' | head -n 1)")
    [ -f "$libdir/libTavrinSdk_860VX_RUX_gtk.so" ] || { echo "the dialog module is not beside the library"; return 1; }
    check_dialog "$prefix/bin/tavrin"
    [ "$(readelf -d "$libdir/libTavrinSdk_860VX_RUX.so" | grep -o 'SONAME.*\[.*\]')" = \
      "SONAME)             Library soname: [libTavrinSdk_860VX_RUX.so.1]" ] || { echo "no versioned SONAME"; return 1; }

    build_and_run find_package "$scratch/by-cmake" -DCMAKE_PREFIX_PATH="$prefix"
    PKG_CONFIG_PATH="$libdir/pkgconfig" build_and_run pkg-config "$scratch/by-pkgconfig" -DTAVRIN_EXAMPLES_PKGCONFIG=ON

    step "installed tool and Python package"
    "$prefix/bin/tavrin" list
    PYTHONPATH="$prefix/lib/python3/dist-packages" "$python" -c \
        'import tavrin; print("python:", tavrin.list_cameras(), tavrin.sdk_version())'
    gstreamer "$prefix"
}

# The installed GStreamer plugin: 30 frames into an MP4 that ffprobe counts.
gstreamer() {
    local plugins
    plugins=$(dirname "$(find "$1" -name libgsttavrin.so | head -n 1)")
    [ "$plugins" != . ] || { step "GStreamer plugin: not built (no GStreamer)"; return 0; }
    step "GStreamer plugin from $plugins"
    (cd "$scratch" && GST_PLUGIN_PATH="$plugins" GST_REGISTRY="$scratch/gst-registry.bin" TAVRIN_SIM=0 \
        gst-launch-1.0 -q tavrinsrc num-buffers=30 ! videoconvert ! x264enc ! mp4mux ! filesink location=a.mp4)
    local frames
    # Every frame the file holds, decoded. With its edit list applied, ffmpeg
    # hides the first frame in about one file of four: the simulated camera's
    # frames come about 1 % further apart than the caps frame rate (the
    # sensor's timing) says, and mp4mux's edit list then starts one tick
    # after the first frame's time.
    frames=$(ffprobe -v error -ignore_editlist 1 -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
        -of csv=p=0 "$scratch/a.mp4")
    [ "$frames" = 30 ] || { echo "a.mp4 has $frames frames, not 30"; return 1; }
    echo "  a.mp4: $frames frames"
    # Without -f the monitor lists what it found and exits.
    GST_PLUGIN_PATH="$plugins" GST_REGISTRY="$scratch/gst-registry.bin" timeout 10 gst-device-monitor-1.0 \
        Video/Source >"$scratch/monitor.log" 2>&1 ||
        { echo "the device monitor did not exit by itself"; cat "$scratch/monitor.log"; return 1; }
    grep -q 'Tavrin860VX-RUX_01 (slot 0)' "$scratch/monitor.log" ||
        { echo "the device monitor lists no camera"; cat "$scratch/monitor.log"; return 1; }
    echo "  gst-device-monitor-1.0 lists the camera"

    # The RTSP server on a port of the loopback address, read by ffprobe.
    local port=$((20000 + $$ % 20000)) server
    GST_PLUGIN_PATH="$plugins" GST_REGISTRY="$scratch/gst-registry.bin" \
        "$1/bin/tavrin-rtsp-server" --port "$port" --address 127.0.0.1 --sim 0 >"$scratch/rtsp.log" 2>&1 &
    server=$!
    sleep 1
    frames=$(timeout 30 ffprobe -v error -rtsp_transport tcp -count_frames -read_intervals '%+#30' -select_streams v:0 \
        -show_entries stream=nb_read_frames -of csv=p=0 "rtsp://127.0.0.1:$port/camera0" || true)
    kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true
    [ "${frames:-0}" -ge 30 ] || { echo "RTSP gave ${frames:-no} frames"; cat "$scratch/rtsp.log"; return 1; }
    echo "  rtsp://127.0.0.1:$port/camera0: $frames frames of H.264"
}

debian() {
    step "Debian package"
    (cd build/default && cpack -G DEB >/dev/null)
    local deb
    deb=$(ls build/default/tavrin-sdk_*.deb)
    local contents
    contents=$(dpkg --contents "$deb")
    grep -E 'libTavrinSdk_860VX_RUX.so.1|_gtk.so|bin/tavrin|libgsttavrin.so|TavrinSdk.h|TavrinSdk.pc|TavrinSdkConfig.cmake' <<<"$contents" | awk '{print "  " $6 $7 $8}'
    grep -q 'libTavrinSdk_860VX_RUX_gtk.so' <<<"$contents" || { echo "the .deb lacks the dialog module"; return 1; }
    [[ "$(dpkg-deb --field "$deb" Depends)" == *libgtk-3-0* ]] || { echo "the .deb does not depend on GTK 3"; return 1; }
    local target="$scratch/debroot"
    mkdir -p "$target/var/lib/dpkg/info" "$target/var/lib/dpkg/updates"
    touch "$target/var/lib/dpkg/status"
    dpkg --root="$target" --force-not-root --force-depends --force-script-chrootless --log=/dev/null -i "$deb" \
        >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; return 1; }
    "$target/usr/bin/tavrin" list
    check_dialog "$target/usr/bin/tavrin"
    if command -v lintian >/dev/null; then
        # Errors fail the test. The maintainer address stays a placeholder
        # until the project names a real one; warnings are shown.
        lintian --fail-on error --suppress-tags bogus-mail-host,bogus-mail-host-in-debian-changelog "$deb" 2>&1 |
            grep -v 'root privileges' || [ "${PIPESTATUS[0]}" -eq 0 ] || return 1
    else
        echo "  (lintian is not installed: skipped)"
    fi
}

windows() {
    if [ ! -f build/mingw/CMakeCache.txt ] || ! command -v wine >/dev/null; then
        step "Windows zip: skipped (no build/mingw or no Wine)"
        return 0
    fi
    step "Windows zip"
    cmake --build --preset mingw --target TavrinSdk tavrin tavrin_import_library >/dev/null
    (cd build/mingw && cpack -G ZIP >/dev/null)
    local zip unpacked="$scratch/win"
    zip=$(ls build/mingw/tavrin-sdk-*-win64.zip)
    mkdir -p "$unpacked" && (cd "$unpacked" && cmake -E tar xf "$root/$zip")
    local top
    top=$(ls -d "$unpacked"/*/)
    for file in bin/TavrinSdk_860VX_RUX.dll bin/tavrin.exe lib/TavrinSdk_860VX_RUX.lib lib/libTavrinSdk_860VX_RUX.dll.a include/TavrinSdk.h; do
        [ -f "$top/$file" ] || { echo "missing in the zip: $file"; return 1; }
    done
    export WINEPREFIX="$scratch/wineprefix" WINEDEBUG=-all
    # The programs find the SDK's DLL through WINEPATH, as through PATH.
    WINEPATH="$(winepath -w "$top/bin" 2>/dev/null)"
    export WINEPATH
    RUN="wine" EXE=".exe" build_and_run "find_package (MinGW)" "$scratch/win-cmake" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DTavrinSdk_DIR="$top/lib/cmake/TavrinSdk"
    PKG_CONFIG_LIBDIR="$top/lib/pkgconfig" PKG_CONFIG_SYSROOT_DIR="" RUN="wine" EXE=".exe" \
        build_and_run "pkg-config (MinGW)" "$scratch/win-pkgconfig" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DTAVRIN_EXAMPLES_PKGCONFIG=ON
    wineserver -k >/dev/null 2>&1 || true
}

native
debian
windows
step "all passed"
