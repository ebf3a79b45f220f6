#!/usr/bin/env bash
# Builds the Linux scenario runner and plays the demonstration session with a transcript.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --linux-only >&2
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target tarnivo-sim >/dev/null
exec build/linux/tarnivo-sim -v scenarios/demo.scn
