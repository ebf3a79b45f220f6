#!/usr/bin/env bash
# Builds everything for Linux and runs the demonstration session with a transcript.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --linux-only >&2
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" >/dev/null
exec build/linux/tarnivo-sim -v scenarios/demo.scn
