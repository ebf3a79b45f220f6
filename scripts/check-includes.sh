#!/usr/bin/env bash
# Checks the directions of the #include "..." lines of src/: which folder may include which.
#
#   platform/  only platform/
#   store/     only store/ and platform/
#   engine/    only engine/, store/, platform/ and server/host.h
#   ui/        anything but server/, except server/host.h
#   server/    anything
#
# Headers named *_internal.h in engine/ are for engine/ alone, and no file of src/ includes
# anything of tools/, except the Linux back end (src/platform/linux/), which may. Every line
# that breaks a rule is named with its file and line; the script fails when there is one.
# A name is taken for the file it stands for (".." parts resolved), beside the including file
# first and then below src/, as the compiler finds it.
#
# Usage: scripts/check-includes.sh [ROOT]   (ROOT: the source tree, by default this one)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

# The top folder below src/ of `path` (a path below src/).
top_folder() {
  local rest=${1#src/}
  echo "${rest%%/*}"
}

# Path $1 with its "." and ".." parts resolved ("src/ui/../server/x.h" is "src/server/x.h").
tidy_path() {
  local part out=()
  local IFS=/
  for part in $1; do
    case $part in
      '' | .) ;;
      ..) if [ ${#out[@]} -gt 0 ]; then unset 'out[${#out[@]}-1]'; fi ;;
      *) out+=("$part") ;;
    esac
  done
  echo "${out[*]}"
}

# Whether include name $1 is a file of tools/: named from tools/, or found below it.
is_tools_file() {
  local name=$1
  case $name in tools/*) return 0 ;; esac
  [ -e "tools/$name" ] && return 0
  [ -d tools ] && [ -n "$(find tools -type f -path "*/$name" -print -quit)" ]
}

# Why file $1 may not include $2 (empty: it may).
violation() {
  local file=$1 name=$2 from to path
  from=$(top_folder "$file")
  # The file the name stands for, looked up as the compiler does: beside the including file
  # first, then below src/; a name found in neither but below tools/ (on the include path of
  # the Linux back end) is a file of tools/.
  if [ -e "$(dirname "$file")/$name" ]; then
    path=$(tidy_path "$(dirname "$file")/$name")
  elif [ -e "src/$name" ]; then
    path=$(tidy_path "src/$name")
  elif is_tools_file "$name"; then
    path=tools/$name
  else
    return 0 # a system or generated header
  fi
  case $path in
    tools/*)
      case $file in src/platform/linux/*) ;; *) echo "src/ may not include tools/ files" ;; esac
      return
      ;;
    src/*) name=${path#src/} ;;
    *) return 0 ;;
  esac
  to=${name%%/*}
  case $name in
    engine/*_internal.h)
      if [ "$from" != engine ]; then echo "only engine/ may include engine's internal headers"; fi
      return
      ;;
  esac
  case $from in
    platform)
      [ "$to" = platform ] || echo "platform/ includes only platform/"
      ;;
    store)
      case $to in store | platform) ;; *) echo "store/ includes only store/ and platform/" ;; esac
      ;;
    engine)
      case $name in
        engine/* | store/* | platform/* | server/host.h) ;;
        *) echo "engine/ includes only engine/, store/, platform/ and server/host.h" ;;
      esac
      ;;
    ui)
      case $name in
        server/host.h) ;;
        server/*) echo "ui/ includes no server/ header but server/host.h" ;;
      esac
      ;;
  esac
}

status=0
while IFS= read -r line; do
  file=${line%%:*}
  rest=${line#*:}
  number=${rest%%:*}
  text=${rest#*:}
  name=$(printf '%s\n' "$text" | sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/')
  why=$(violation "$file" "$name")
  if [ -n "$why" ]; then
    echo "$file:$number: #include \"$name\": $why"
    status=1
  fi
done < <(grep -rnIE --include='*.h' --include='*.cpp' --include='*.c' --include='*.rc' \
  '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' src | sort -t: -k1,1 -k2,2n)

if [ "$status" -ne 0 ]; then
  echo "include directions: the lines above break the rules at the top of $0" >&2
fi
exit "$status"
