#!/usr/bin/env bash
# The include-direction check on small trees: a tree that keeps the rules passes, and each
# broken rule is named with its file and line.
# Usage: check_includes_test.sh CHECK_SCRIPT
set -euo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A file at $1 (below the tree) with the lines that follow.
put() {
  local path=$work/tree/$1
  shift
  mkdir -p "$(dirname "$path")"
  printf '%s\n' "$@" >"$path"
}

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# The allowed directions, including a generated header and a system header.
put src/platform/win32.h '#pragma once'
put src/platform/linux/backend.h '#include "platform/win32.h"' '#include "popups_seen.h"'
put src/store/settings.h '#include "platform/win32.h"' '#include <string>'
put src/server/host.h '#pragma once'
put src/server/toolbar.h '#include "engine/steps.h"' '#include "ui/form.h"'
put src/server/com/band.cpp '#include "server/toolbar.h"' '#include "tarnivo_idl.h"'
put src/engine/steps.h '#include "server/host.h"' '#include "store/settings.h"'
put src/engine/steps.cpp '#include "engine/steps.h"' '#include "engine/text_internal.h"' \
  '#include "steps.h"'
put src/engine/text_internal.h '#pragma once'
put src/ui/form.h '#include "server/host.h"' '#include "engine/steps.h"' '#include "../store/settings.h"'
put tools/testbed/popups_seen.h '#pragma once'

if ! out=$("$check" "$work/tree" 2>&1); then fail "a tree that keeps the rules: $out"; fi

# Each broken rule, one file each: the line that must be named.
broken=(
  'src/platform/module.cpp:2:#include "store/settings.h"'
  'src/store/list.cpp:3:#include "engine/steps.h"'
  'src/engine/page.cpp:2:#include "server/toolbar.h"'
  'src/engine/form_use.cpp:1:#include "ui/form.h"'
  'src/ui/menu.cpp:2:#include "server/toolbar.h"'
  'src/ui/timer.cpp:1:  #  include "engine/text_internal.h"'
  'src/server/keys.cpp:2:#include "engine/text_internal.h"'
  'src/server/sim.cpp:1:#include "popups_seen.h"'
  'src/ui/seen.cpp:1:#include "tools/testbed/popups_seen.h"'
  # The same files named through "..", from beside the including file.
  'src/ui/up.cpp:1:#include "../server/toolbar.h"'
  'src/engine/sub/up.cpp:2:#include "../../ui/./form.h"'
  'src/store/up.cpp:1:#include "../../tools/testbed/popups_seen.h"'
)
for entry in "${broken[@]}"; do
  file=${entry%%:*}
  rest=${entry#*:}
  line=${rest%%:*}
  text=${rest#*:}
  rm -rf "$work/bad" && cp -r "$work/tree" "$work/bad"
  lines=()
  for ((i = 1; i < line; i++)); do lines+=('#include <vector>'); done
  lines+=("$text")
  mkdir -p "$(dirname "$work/bad/$file")"
  printf '%s\n' "${lines[@]}" >"$work/bad/$file"
  if out=$("$check" "$work/bad" 2>&1); then
    fail "$file: passed with $text"
  elif ! grep -q "^$file:$line: " <<<"$out"; then
    fail "$file: not named at line $line: $out"
  elif [ "$(grep -c '^src/' <<<"$out")" -ne 1 ]; then
    fail "$file: other lines named too: $out"
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "include check: all cases passed"
