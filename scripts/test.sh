#!/usr/bin/env bash
# Builds the SDK and runs the whole test suite: natively, under
# AddressSanitizer + UndefinedBehaviorSanitizer, under ThreadSanitizer, and the
# Windows x64 cross build under Wine, then runs each fuzz target for a
# minute. Exits non-zero on any failure.
#
#   scripts/test.sh              every configuration
#   scripts/test.sh default asan only the named presets
#   scripts/test.sh fuzz         only the fuzz targets (when clang is present)
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1

presets=()
for preset in "$@"; do
  [ "$preset" = fuzz ] || presets+=("$preset")
done
[ $# -gt 0 ] || presets=(default asan tsan mingw)
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
  ctest --preset "$preset" -j "$jobs" -LE x11 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  summary+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1) ($(( (SECONDS - started) / 60 )) min with the build)")
  [ "$status" -eq 0 ] || failed+=("$preset (tests)")
  # The display tests must pass five runs in a row: a flaky one would stop
  # good changes from landing.
  ctest --preset "$preset" -j "$jobs" -L x11 --repeat until-fail:5 2>&1 | tee "$log.x11"
  [ "${PIPESTATUS[0]}" -eq 0 ] || failed+=("$preset display (tests)")
  summary+=("$preset display tests, 5 runs: $(grep -E 'tests passed|tests failed' "$log.x11" | tail -n 1)")
  if [ "$preset" = default ]; then
    # The run above took the widest kernel path the processor has; the unit
    # tests run again once per narrower path. A path is skipped when the
    # processor lacks it, or when it is already the widest (no AVX2; for
    # the AVX2 rerun, no AVX-512 BW and VBMI).
    for isa in avx2 sse2 scalar; do
      if [ "$isa" = avx2 ] && ! { grep -qw avx512bw /proc/cpuinfo && grep -qw avx512vbmi /proc/cpuinfo; }; then
        echo "=== ${preset}: no separate $isa kernel path on this processor, skipped"
        continue
      fi
      if [ "$isa" = sse2 ] && ! { grep -qw sse2 /proc/cpuinfo && grep -qw avx2 /proc/cpuinfo; }; then
        echo "=== ${preset}: no separate $isa kernel path on this processor, skipped"
        continue
      fi
      echo "=== ${preset}: unit tests again on the $isa kernels"
      TAVRIN_MAX_ISA=$isa ctest --preset "$preset" -j "$jobs" -L unit 2>&1 | tee "$log.$isa"
      [ "${PIPESTATUS[0]}" -eq 0 ] || failed+=("$preset $isa (tests)")
      summary+=("$preset $isa kernels: $(grep -E 'tests passed|tests failed' "$log.$isa" | tail -n 1)")
    done
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

# Fuzzing: the libFuzzer targets (clang only) run a minute each from their
# seed corpora. A longer run of one target is one command, for example
#   build/fuzz/bin/fuzz_exports -max_total_time=3600 tests/fuzz/corpus/fuzz_exports
if [ $# -eq 0 ] || [[ " $* " == *" fuzz "* ]]; then
  if command -v clang++ >/dev/null 2>&1; then
    started=$SECONDS
    echo "=== fuzz: configure and build"
    if cmake --preset fuzz >build-fuzz.configure.log 2>&1 && rm -f build-fuzz.configure.log &&
       cmake --build --preset fuzz -j "$jobs"; then
      fuzz_failed=()
      for corpus in tests/fuzz/corpus/*/; do
        target=$(basename "$corpus")
        work="build/fuzz/corpus/$target"
        mkdir -p "$work"
        echo "=== fuzz: $target, 60 s"
        # New inputs go to the build folder; the committed seeds stay as they are.
        if ! (cd build/fuzz && "bin/$target" -max_total_time=60 -timeout=30 -rss_limit_mb=4096 \
                -print_final_stats=1 "corpus/$target" "../../$corpus") >"build/fuzz/$target.log" 2>&1; then
          tail -n 40 "build/fuzz/$target.log"; fuzz_failed+=("$target")
        fi
        grep -E '^stat::number_of_executed_units' "build/fuzz/$target.log" | sed "s/^/$target /"
      done
      [ ${#fuzz_failed[@]} -eq 0 ] || failed+=("fuzz (${fuzz_failed[*]})")
      summary+=("fuzz: ${#fuzz_failed[@]} of $(ls -d tests/fuzz/corpus/*/ | wc -l) targets failed ($(( (SECONDS - started) / 60 )) min with the build)")
    else
      [ -f build-fuzz.configure.log ] && cat build-fuzz.configure.log
      failed+=("fuzz (build)")
    fi
  else
    summary+=("fuzz: skipped, clang is not installed")
  fi
fi

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all configurations passed"
