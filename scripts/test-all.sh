#!/usr/bin/env bash
# Runs every test: formatting, the Linux build under the sanitizers (unit tests, platform
# conformance tests, scenarios, the kill tests of the list file and the registry), the
# Windows build's tests under Wine (the host's scenarios a second time beside two busy
# processes), the i686 and benchmark compiles, and each fuzz target for 30 seconds. The last
# line sums up the test programs of both builds and the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

echo "== formatting"
git ls-files -co --exclude-standard -- '*.cpp' '*.h' |
  while IFS= read -r f; do [ -f "$f" ] && printf '%s\0' "$f"; done |
  xargs -0 clang-format --dry-run --Werror

echo "== include directions"
scripts/check-includes.sh

echo "== builds"
for preset in linux-asan windows windows32 linux-bench; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
done

passed=0
failed=0
run_ctest() {
  local preset=$1 log
  shift
  log=$(mktemp)
  if ctest --preset "$preset" "$@" 2>&1 | tee "$log"; then :; fi
  local summary
  summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" || true)
  rm -f "$log"
  if [ -z "$summary" ]; then
    failed=$((failed + 1))
    return
  fi
  local bad total
  bad=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
  total=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

echo "== linux tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
run_ctest linux-asan

echo "== windows x86_64 tests under Wine"
WINEPREFIX=$(scripts/wine-prefix.sh)
export WINEPREFIX WINEDEBUG=-all
run_ctest windows

# The host's scenarios give the same answers on a loaded machine: the DLL's time is the host's
# virtual clock, not the machine's. Two processes that keep a processor busy run beside them.
echo "== host scenarios again, beside two busy processes"
busy=()
stop_busy() {
  if [ ${#busy[@]} -gt 0 ]; then
    kill "${busy[@]}" 2>/dev/null || true
    wait "${busy[@]}" 2>/dev/null || true
  fi
  busy=()
}
trap stop_busy EXIT
for _ in 1 2; do
  (while :; do :; done) &
  busy+=($!)
done
run_ctest windows -R '^host_'
stop_busy
trap - EXIT

echo "== tarnivo.dll: regsvr32, then regsvr32 /u leaves no registration"
dll=build/windows/src/server/com/tarnivo.dll
if wine regsvr32 /s "$dll" && wine reg query 'HKCR\tarnivo.CToolbar' >/dev/null 2>&1 &&
  wine regsvr32 /u /s "$dll" && ! wine reg query 'HKCR\tarnivo.CToolbar' >/dev/null 2>&1; then
  passed=$((passed + 1))
else
  echo "regsvr32 round trip of $dll failed"
  failed=$((failed + 1))
fi

# Each fuzz target for 30 seconds on its seed corpus (clang build of its own, two at a time).
echo "== fuzz targets"
fuzz_log=$(mktemp)
scripts/fuzz.sh -t 30 2>&1 | tee "$fuzz_log" || true
fuzz_summary=$(grep -E '^fuzz: [0-9]+ passed, [0-9]+ failed' "$fuzz_log" || true)
rm -f "$fuzz_log"
if [ -n "$fuzz_summary" ]; then
  passed=$((passed + $(echo "$fuzz_summary" | sed -E 's/fuzz: ([0-9]+) passed.*/\1/')))
  failed=$((failed + $(echo "$fuzz_summary" | sed -E 's/.* ([0-9]+) failed/\1/')))
else
  echo "the fuzz run did not finish"
  failed=$((failed + 1))
fi

echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
