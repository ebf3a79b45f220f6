#!/usr/bin/env bash
# Installs what building and testing Tarnivo needs on a Debian machine, when it is missing.
set -euo pipefail

packages=(cmake make g++ libgtest-dev libbenchmark-dev clang-format
          mingw-w64 mingw-w64-tools g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          wine wine64 clang libclang-rt-14-dev)
if [ "${1:-}" = "--linux-only" ]; then
  packages=(cmake make g++ libgtest-dev libbenchmark-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
