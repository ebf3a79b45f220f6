#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang with -fsanitize=fuzzer,address,undefined)
# and runs each on its seed corpus in fuzz/corpus/<target>/ for a bounded time. A crash, a
# sanitizer report or a failed property fails the run; the input that shows it is kept in
# build/fuzz/artifacts/. New inputs found during the run go to a temporary folder, so the
# committed corpus stays as it is.
#
#   scripts/fuzz.sh [-t SECONDS] [-j PARALLEL] [TARGET...]
#
# -t: time per target (default 30); -j: targets run at once (default 2); TARGET: names
# without the fuzz_ prefix (default: all). The last line sums up: "fuzz: N passed, M failed".
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30
parallel=2
while getopts "t:j:" option; do
  case $option in
    t) seconds=$OPTARG ;;
    j) parallel=$OPTARG ;;
    *) echo "usage: $0 [-t SECONDS] [-j PARALLEL] [TARGET...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" >/dev/null

artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
# New inputs, logs and the targets' private root folders (in memory when there is some).
base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work=$(mktemp -d "$base/tarnivo-fuzz-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TARNIVO_FUZZ_TMP=$work

run_one() {
  local target=$1
  mkdir -p "$work/corpus/$target"
  if "build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target-" "$work/corpus/$target" "fuzz/corpus/$target" \
    >"$work/$target.log" 2>&1; then
    echo ok >"$work/$target.result"
  else
    echo failed >"$work/$target.result"
  fi
}

running=0
for target in "${targets[@]}"; do
  if [ ! -x "build/fuzz/fuzz/fuzz_$target" ]; then
    echo "no fuzz target $target" >&2
    exit 2
  fi
  run_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

passed=0
failed=0
for target in "${targets[@]}"; do
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$work/$target.log" | tail -1)
  if [ "$(cat "$work/$target.result")" = ok ]; then
    passed=$((passed + 1))
    echo "fuzz_$target: ${runs:-?} executions in ${seconds} s, no failure"
  else
    failed=$((failed + 1))
    echo "fuzz_$target: FAILED after ${runs:-?} executions; its log:"
    grep -E 'property failed|ERROR|SUMMARY|runtime error|Test unit written|^ *#[0-9]+ 0x' \
      "$work/$target.log" | head -40 || true
    echo "  reproduce: build/fuzz/fuzz/fuzz_$target <the test unit above>"
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
