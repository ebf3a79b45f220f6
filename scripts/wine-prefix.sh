#!/bin/sh
# Creates the Wine prefix the Windows test programs run in, if it is not there yet, and
# prints its path. The prefix uses the null display driver, so windows, menus and common
# controls work without an X server.
#
#   WINEPREFIX=$(scripts/wine-prefix.sh) wine build/windows/tests/platform_tests.exe
set -eu

prefix=${WINEPREFIX:-$PWD/build/wineprefix}
WINEPREFIX=$prefix
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG

if [ ! -f "$prefix/system.reg" ] || [ ! -f "$prefix/.tarnivo-ready" ]; then
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
  : >"$prefix/.tarnivo-ready"
fi

printf '%s\n' "$prefix"
