#!/usr/bin/env bash
# Runs every test: formatting, the Linux build under the sanitizers (unit tests, platform
# conformance tests, scenarios), the Windows build's tests under Wine, and the i686 compile.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

echo "== formatting"
git ls-files -co --exclude-standard -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== linux (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake --preset linux-asan >/dev/null
cmake --build --preset linux-asan -j"$jobs"
ctest --preset linux-asan

echo "== benchmarks compile"
cmake --preset linux-bench >/dev/null
cmake --build --preset linux-bench -j"$jobs"

echo "== windows x86_64 under Wine"
WINEPREFIX=$(scripts/wine-prefix.sh)
export WINEPREFIX WINEDEBUG=-all
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
ctest --preset windows

echo "== windows i686 (compile only)"
cmake --preset windows32 >/dev/null
cmake --build --preset windows32 -j"$jobs"
