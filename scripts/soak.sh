#!/usr/bin/env bash
# Soak run: N simulated cameras used at random for MINUTES under
# AddressSanitizer + UndefinedBehaviorSanitizer (callback previews,
# snapshots, stills, recordings, setting changes, unplugs, injected faults).
# Prints frames, errors by code and resident memory at start and end; fails
# on a sanitizer report, a leak at exit or a camera thread that hangs.
#
#   scripts/soak.sh [N=32] [MINUTES=10]
set -euo pipefail
cd "$(dirname "$0")/.."

cameras=${1:-32}
minutes=${2:-10}
if [ "$cameras" -lt 1 ] || [ "$cameras" -gt 32 ]; then
  echo "soak: 1 to 32 cameras" >&2; exit 2
fi

cmake --preset asan >build-asan.configure.log 2>&1 || { cat build-asan.configure.log; exit 1; }
rm -f build-asan.configure.log
cmake --build --preset asan --target tavrin_soak -j "$(nproc 2>/dev/null || echo 2)"

scratch=$(mktemp -d)
# A camera list, settings store and owner table of the soak's own.
export TAVRIN_SIM=$(seq -s, 0 $((cameras - 1)))
export TAVRIN_REGISTRY="$scratch/registry.sqlite3"
export TAVRIN_SHARED_MEMORY_NAME="TAVRIN_SOAK_$$"
trap 'rm -rf "$scratch" "/dev/shm/$TAVRIN_SHARED_MEMORY_NAME"' EXIT
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
cd "$scratch"
"$OLDPWD/build/asan/bin/tavrin_soak" "$cameras" "$((minutes * 60))"
