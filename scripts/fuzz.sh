#!/usr/bin/env bash
# Fuzzes every libFuzzer target (tests/fuzz) for MINUTES each, starting from
# its committed seed corpus. Builds them first with the asan preset (clang,
# AddressSanitizer + UndefinedBehaviorSanitizer); as many targets run at
# once as there are processors. New inputs that reach new code are kept in
# build/asan/fuzz-corpus/TARGET; the committed seeds stay as they are (copy
# the worthwhile ones into tests/fuzz/corpus/TARGET by hand). A crash leaves
# its input as build/asan/fuzz-corpus/crash-* and fails the run.
#
#   scripts/fuzz.sh MINUTES [TARGET...]        e.g. scripts/fuzz.sh 60 fuzz_exports
#   scripts/fuzz.sh --seconds N [TARGET...]    (scripts/test.sh runs 8 s a target)
set -uo pipefail
cd "$(dirname "$0")/.."

usage() { echo "usage: $0 MINUTES|--seconds N [TARGET...]" >&2; exit 2; }
[ $# -ge 1 ] || usage
if [ "$1" = --seconds ]; then
  [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]+$ ]] || usage
  seconds=$2; shift 2
else
  [[ "$1" =~ ^[0-9]+$ ]] || usage
  seconds=$(($1 * 60)); shift
fi
[ "$seconds" -gt 0 ] || usage

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for corpus in tests/fuzz/corpus/*/; do targets+=("$(basename "$corpus")"); done
fi
for target in "${targets[@]}"; do
  [ -d "tests/fuzz/corpus/$target" ] || { echo "fuzz: no target $target (tests/fuzz/corpus/$target)" >&2; exit 2; }
done

# A missing clang is a failure, never a silent skip.
command -v clang++ >/dev/null || { echo "fuzz: clang++ is not installed (scripts/install-deps.sh)" >&2; exit 1; }
jobs=$(nproc 2>/dev/null || echo 2)
if ! cmake --preset asan >build-asan.configure.log 2>&1; then
  cat build-asan.configure.log; exit 1
fi
rm -f build-asan.configure.log
cmake --build --preset fuzz -j "$jobs" || exit 1

out=build/asan/fuzz-corpus
mkdir -p "$out"
# One target: explores for $seconds, prints its executions; non-zero on a crash.
run() {
  local target=$1 log="$out/$1.log"
  mkdir -p "$out/$target"
  rm -f "$out/$target.failed"
  # New inputs go to the first folder; the committed seeds are only read.
  if ! (cd "$out" && "../bin/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
          -print_final_stats=1 -artifact_prefix="$PWD/crash-$target-" "$target" "../../../tests/fuzz/corpus/$target") \
          >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $target FAILED (log: $log)"
    touch "$out/$target.failed"
    return 1
  fi
  echo "fuzz: $target ok, $(awk '/^stat::number_of_executed_units/ { print $2 }' "$log") runs in ${seconds} s," \
       "$(find "$out/$target" -type f | wc -l) new inputs kept"
}

for target in "${targets[@]}"; do
  # No more targets at once than processors.
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  rm -f "$out/$target.failed"
  run "$target" &
done
wait
failed=()
for target in "${targets[@]}"; do
  [ -e "$out/$target.failed" ] && failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: FAILED: ${failed[*]}"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets, ${seconds} s each, no failure"
