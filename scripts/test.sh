#!/usr/bin/env bash
# Builds the SDK and runs the whole test suite: natively, under
# AddressSanitizer + UndefinedBehaviorSanitizer, under ThreadSanitizer, and the
# Windows x64 cross build under Wine. Exits non-zero on any failure.
#
#   scripts/test.sh              every configuration
#   scripts/test.sh default asan only the named presets
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default asan tsan mingw)
jobs=$(nproc 2>/dev/null || echo 2)
failed=()
summary=()

for preset in "${presets[@]}"; do
  started=$SECONDS
  echo "=== ${preset}: configure and build"
  if [ "$preset" = mingw ] && [ -x scripts/build-windows-deps.sh ]; then
    scripts/build-windows-deps.sh || { failed+=("$preset (windows deps)"); continue; }
  fi
  if ! cmake --preset "$preset" >"build-$preset.configure.log" 2>&1; then
    cat "build-$preset.configure.log"; failed+=("$preset (configure)"); continue
  fi
  rm -f "build-$preset.configure.log"
  if ! cmake --build --preset "$preset" -j "$jobs"; then
    failed+=("$preset (build)"); continue
  fi
  echo "=== ${preset}: test"
  if [ "$preset" = mingw ]; then
    # One throw-away Wine prefix for the run, made before tests start in parallel.
    export WINEPREFIX="$PWD/build/mingw/wineprefix"
    rm -rf "$WINEPREFIX"
    WINEDEBUG=-all /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
  fi
  log="build/$preset/ctest.log"
  ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  summary+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1) ($(( (SECONDS - started) / 60 )) min with the build)")
  [ "$status" -eq 0 ] || failed+=("$preset (tests)")
  if [ "$preset" = default ]; then
    echo "=== ${preset}: unit tests again on the reference (scalar) kernels"
    TAVRIN_FORCE_SCALAR=1 ctest --preset "$preset" -j "$jobs" -L unit 2>&1 | tee "$log.scalar"
    [ "${PIPESTATUS[0]}" -eq 0 ] || failed+=("$preset scalar (tests)")
    summary+=("$preset scalar kernels: $(grep -E 'tests passed|tests failed' "$log.scalar" | tail -n 1)")
  fi
  if [ "$preset" = mingw ]; then
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    unset WINEPREFIX
  fi
done

# After the builds, so that the Windows zip is checked too when mingw ran.
if [[ " ${presets[*]} " == *" default "* ]] && [ -f build/default/CMakeCache.txt ]; then
  echo "=== Python package tests and the installed package"
  log=build/default/ctest.log
  /usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests 2>&1 | tee "$log.python"
  [ "${PIPESTATUS[0]}" -eq 0 ] || failed+=("python (tests)")
  summary+=("python: $(tail -n 1 "$log.python")")
  scripts/test-install.sh 2>&1 | tee "$log.install"
  [ "${PIPESTATUS[0]}" -eq 0 ] || failed+=("install (tests)")
  summary+=("install: $(tail -n 1 "$log.install")")
fi

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all configurations passed"
