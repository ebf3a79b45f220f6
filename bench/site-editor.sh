#!/bin/bash
# The allowed-sites editor at the list's limit (32,767 entries): opening it from the toolbar's
# menu, adding one entry through its entry row, and its OK (save, reload, hidden).
#
#   bench/site-editor.sh [-r RUNS] [--no-build] [--linux]
#
# Builds tarnivo.dll and tarnivo-site-editor.exe (the `windows` preset) and runs the program
# under Wine in the project's prefix (scripts/wine-prefix.sh), once with host names of 10 to
# 40 characters and once with names of 250, RUNS runs each (default 5): per run and as the
# median, in milliseconds, open_ms (the menu command until the dialog waits with its list
# filled), add_ms (an entry typed in the entry row and its OK clicked, until handled), ok_ms
# (OK clicked until handled: the list file saved, the list read again, the dialog hidden) and
# return_ms (OK clicked until the menu command returns). Target: each under 100 ms. The
# settings key and the list file of the prefix are put back afterwards.
#
# --linux also builds the `linux-bench` preset and runs the Linux build's BM_SiteEditor*
# benchmarks (bench/site_editor_bench.cpp), which report the median of 5 repetitions.
#
# Timing is never a test: nothing runs this script but a person who asks for the figures.
set -euo pipefail

cd "$(dirname "$0")/.."

runs=5
build=1
linux=0
while [ $# -gt 0 ]; do
  case $1 in
    -r) runs=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --linux) linux=1; shift ;;
    *) echo "usage: $0 [-r RUNS] [--no-build] [--linux]" >&2; exit 2 ;;
  esac
done

exe=build/windows/src/server/com/tarnivo-site-editor.exe
if [ "$build" = 1 ]; then
  [ -f build/windows/CMakeCache.txt ] || cmake --preset windows >/dev/null
  cmake --build --preset windows --target tarnivo-site-editor -j2 >/dev/null
fi
[ -f "$exe" ] || { echo "$exe is missing: build it first" >&2; exit 1; }

WINEPREFIX=$(scripts/wine-prefix.sh)
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG

for chars in 40 250; do
  echo "real DLL under Wine ($(wine --version 2>/dev/null)), names of up to $chars characters:"
  wine "$exe" --runs "$runs" --chars "$chars" | tr -d '\r' | sed 's/^/  /'
done

if [ "$linux" = 1 ]; then
  [ -f build/linux-bench/CMakeCache.txt ] || cmake --preset linux-bench >/dev/null
  cmake --build --preset linux-bench --target tarnivo_bench -j2 >/dev/null
  echo "Linux build (median of 5 repetitions, manual time):"
  build/linux-bench/bench/tarnivo_bench --benchmark_filter='BM_SiteEditor' 2>/dev/null |
    grep -E '_median|ERROR' | sed 's/^/  /'
else
  echo "Linux build's figures: bench/site-editor.sh --linux, or build the linux-bench preset and run"
  echo "  build/linux-bench/bench/tarnivo_bench --benchmark_filter=BM_SiteEditor"
fi
