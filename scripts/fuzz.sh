#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz": clang with AddressSanitizer and
# UndefinedBehaviorSanitizer), replays every seed corpus, then runs each target for
# the given number of seconds (default 20) from a scratch copy of its corpus.
#   scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  for corpus in fuzz/corpus/*/; do targets+=("$(basename "$corpus")"); done
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
passed=0
failed=0
for target in "${targets[@]}"; do
  binary=build/fuzz/fuzz/fuzz_$target
  scratch=$(mktemp -d)
  cp -r "fuzz/corpus/$target/." "$scratch/"
  echo "== $target: replaying $(ls "fuzz/corpus/$target" | wc -l) seeds, then fuzzing ${seconds}s"
  if "$binary" -runs=0 "fuzz/corpus/$target" >"$scratch.log" 2>&1 &&
     "$binary" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$scratch/crash-" "$scratch" \
       >>"$scratch.log" 2>&1; then
    grep -E '^stat::number_of_executed_units' "$scratch.log" | sed "s/^/   /" || true
    passed=$((passed + 1))
  else
    tail -n 40 "$scratch.log"
    ls "$scratch"/crash-* 2>/dev/null || true
    failed=$((failed + 1))
  fi
  rm -rf "$scratch" "$scratch.log"
done
echo "fuzz: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
