#!/bin/bash
# The processor time an idle, loaded toolbar costs under Wine, beside a floor program that
# makes the same system calls at the same rates without the DLL.
#
#   bench/idle-wine.sh [-r RUNS] [-s SECONDS] [--no-build] [--linux]
#
# Builds tarnivo.dll and tarnivo-idle.exe (the `windows` preset), starts a wineserver in the
# project's prefix (scripts/wine-prefix.sh) and keeps it for the whole run, then plays each
# run as the DLL and then the floor for SECONDS of real time (default 3 runs of 10 s). For each
# program it reads the wineserver's processor time (utime+stime in /proc/PID/stat) when the
# program says its measured interval begins and ends, and prints the program's own share of
# one core, the wineserver's, and their sum; at the end the mean of each and the ratio
# DLL/floor, which should stay within 1.5. The program puts the settings key in a known
# state (processNR "1", processAX "1") and puts it back afterwards.
#
# --linux also builds the `linux-bench` preset and runs the Linux build's idle second
# (BM_IdleToolbarSecond in bench/language_bench.cpp).
#
# Timing is never a test: nothing runs this script but a person who asks for the figures.
set -euo pipefail

cd "$(dirname "$0")/.."
root=$PWD

runs=3
seconds=10
build=1
linux=0
while [ $# -gt 0 ]; do
  case $1 in
    -r) runs=$2; shift 2 ;;
    -s) seconds=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --linux) linux=1; shift ;;
    *) echo "usage: $0 [-r RUNS] [-s SECONDS] [--no-build] [--linux]" >&2; exit 2 ;;
  esac
done

exe=$root/build/windows/src/server/com/tarnivo-idle.exe
if [ "$build" = 1 ]; then
  [ -f build/windows/CMakeCache.txt ] || cmake --preset windows >/dev/null
  cmake --build --preset windows --target tarnivo-idle -j2 >/dev/null
fi
[ -f "$exe" ] || { echo "$exe is missing: build it first" >&2; exit 1; }

WINEPREFIX=$(scripts/wine-prefix.sh)
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG

# The wineserver of this prefix: the one whose working folder is server-DEV-INODE of the
# prefix (in hexadecimal), among those of this user.
server_folder=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
server_pid() {
  local pid
  for pid in $(pgrep -u "$(id -u)" wineserver || true); do
    if [ "$(basename "$(readlink "/proc/$pid/cwd" 2>/dev/null)")" = "$server_folder" ]; then
      echo "$pid"
      return 0
    fi
  done
  return 1
}

# A server that stays between the programs (and goes by itself 30 s after the last one).
started=""
if ! pid=$(server_pid); then
  wineserver -p30
  for _ in 1 2 3 4 5 6 7 8 9 10; do pid=$(server_pid) && break; sleep 0.2; done
  pid=$(server_pid) || { echo "no wineserver for $WINEPREFIX" >&2; exit 1; }
  started=$pid
fi
finish() {
  # The server this script started goes with it; one that was there before stays.
  if [ -n "$started" ] && [ -d "/proc/$started" ]; then kill "$started" 2>/dev/null || true; fi
}
trap finish EXIT

ticks_per_second=$(getconf CLK_TCK)
server_ticks() {
  # utime and stime are fields 14 and 15; the name in field 2 has no blanks here.
  awk '{ print $14 + $15 }' "/proc/$1/stat"
}

log=$(mktemp)
trap 'rm -f "$log"; finish' EXIT

# One program: prints "OWN SERVER" (percent of one core over the measured interval).
measure() {
  local mode=$1 line own="" t0="" t1="" s0="" s1=""
  local args=(--seconds "$seconds")
  [ "$mode" = floor ] && args+=(--floor)
  while IFS= read -r line; do
    line=${line%$'\r'}
    case $line in
      begin) s0=$(server_ticks "$pid"); t0=$EPOCHREALTIME ;;
      end) s1=$(server_ticks "$pid"); t1=$EPOCHREALTIME ;;
      "result "*) own=${line##*cpu_percent=} ;;
      note*) echo "  $line" >&2 ;;
    esac
  done < <(wine "$exe" "${args[@]}" 2>"$log" || echo "failed $?")
  if [ -z "$own" ] || [ -z "$t1" ]; then
    echo "$mode: the program gave no result" >&2
    cat "$log" >&2
    exit 1
  fi
  if [ "$(server_pid)" != "$pid" ]; then
    echo "the wineserver changed during the run" >&2
    exit 1
  fi
  awk -v s0="$s0" -v s1="$s1" -v t0="$t0" -v t1="$t1" -v hz="$ticks_per_second" -v own="$own" \
    'BEGIN { printf "%.3f %.3f\n", own, 100 * (s1 - s0) / hz / (t1 - t0) }'
}

printf 'idle toolbar under Wine (%s), %s runs of %s s, percent of one core\n' \
  "$(wine --version 2>/dev/null)" "$runs" "$seconds"
printf '%-4s %9s %9s %9s %9s %9s %9s %7s\n' run dll-own dll-srv dll-sum floor-own floor-srv \
  floor-sum ratio
results=()
for run in $(seq 1 "$runs"); do
  read -r dll_own dll_srv < <(measure dll)
  read -r floor_own floor_srv < <(measure floor)
  row=$(awk -v a="$dll_own" -v b="$dll_srv" -v c="$floor_own" -v d="$floor_srv" \
    'BEGIN { printf "%9.2f %9.2f %9.2f %9.2f %9.2f %9.2f %7.2f", a, b, a + b, c, d, c + d,
             (c + d > 0) ? (a + b) / (c + d) : 0 }')
  printf '%-4s %s\n' "$run" "$row"
  results+=("$dll_own $dll_srv $floor_own $floor_srv")
done
printf '%s\n' "${results[@]}" | awk '
  { a += $1; b += $2; c += $3; d += $4; n++ }
  END {
    a /= n; b /= n; c /= n; d /= n
    printf "%-4s %9.2f %9.2f %9.2f %9.2f %9.2f %9.2f %7.2f\n", "mean", a, b, a + b, c, d, c + d,
           (c + d > 0) ? (a + b) / (c + d) : 0
    ratio = (c + d > 0) ? (a + b) / (c + d) : 0
    printf "DLL/floor: %.2f (target: at most 1.5) %s\n", ratio, ratio <= 1.5 ? "within" : "ABOVE"
  }'

if [ "$linux" = 1 ]; then
  [ -f build/linux-bench/CMakeCache.txt ] || cmake --preset linux-bench >/dev/null
  cmake --build --preset linux-bench --target tarnivo_bench -j2 >/dev/null
  echo "Linux build, one second of an idle loaded toolbar (share: its part of that second):"
  build/linux-bench/bench/tarnivo_bench --benchmark_filter=BM_IdleToolbarSecond
else
  echo "Linux build's figure: bench/idle-wine.sh --linux, or build the linux-bench preset and run"
  echo "  build/linux-bench/bench/tarnivo_bench --benchmark_filter=BM_IdleToolbarSecond"
fi
