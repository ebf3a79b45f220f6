#!/bin/sh
# Tests of the scenario runner itself: its exit status, its messages and its -v
# transcript, run against the small fixtures beside this script.
# Usage: run_runner_tests.sh SIM_BINARY DIR
set -u

if [ $# -ne 2 ]; then
  echo "usage: $0 SIM_BINARY DIR" >&2
  exit 2
fi
sim=$1
dir=$2
case $sim in
  /*) ;;
  *) sim=$(pwd)/$sim ;;
esac
cd "$dir" || exit 2

out=$(mktemp) || exit 2
trap 'rm -f "$out"' EXIT INT TERM
failures=0
title=

fail() {
  echo "FAIL [$title]: $1"
  echo "  output was:"
  sed 's/^/  | /' "$out"
  failures=$((failures + 1))
}

# run TITLE STATUS ARGS...: runs the runner with ARGS and checks its exit status.
run() {
  title=$1
  want=$2
  shift 2
  "$sim" "$@" >"$out" 2>&1
  got=$?
  if [ "$got" -ne "$want" ]; then
    fail "exit status $got, expected $want (tarnivo-sim $*)"
  fi
}

# has TEXT: the output holds this line part, exactly.
has() {
  grep -F -q -- "$1" "$out" || fail "the output lacks: $1"
}

# lacks TEXT: the output does not hold it.
lacks() {
  if grep -F -q -- "$1" "$out"; then fail "the output should not hold: $1"; fi
}

# last TEXT: the last line of the output is exactly TEXT.
last() {
  line=$(tail -n 1 "$out")
  [ "$line" = "$1" ] || fail "last line is \"$line\", expected \"$1\""
}

# --- passing files ---
run "a passing file" 0 pass.scn
last "1 passed, 0 failed"

run "a byte order mark before the first line" 0 bom.scn
last "1 passed, 0 failed"

run "every file starts on a fresh machine" 0 leave_state.scn fresh_state.scn
last "2 passed, 0 failed"

# --- a failing expectation: exit 1, FILE:LINE message, the run of that file stops ---
run "a failing expectation" 1 fail_expect.scn
has 'fail_expect.scn:5: expected result "www.example.com", got "example.com"'
lacks 'frobnicate'
last "0 passed, 1 failed"

run "a script the page does not have" 1 fail_script.scn
has 'fail_script.scn:6: expected script 1 text "b", got no script 1 (the document has 1 script)'

run "an object expectation names its frame" 1 fail_object.scn
has 'fail_object.scn:8: expected object 0 codebase "" disabled=true in frame 0, got codebase "http://x/media/a.cab" disabled=false'

run "a failure does not stop the other files" 1 fail_expect.scn pass.scn
last "1 passed, 1 failed"

# --- lines that cannot be run: exit 2 ---
run "an unknown command" 2 unknown_command.scn
has 'unknown_command.scn:3: unknown command "frobnicate"'
last "0 passed, 1 failed"

run "a command this build does not run yet" 2 later_command.scn
has 'later_command.scn:2: '
has 'not known'

run "a frame the page does not have" 2 no_frame.scn
has 'no_frame.scn:6: in: no frame 5 (the document has 2 frames)'

run "a frame whose document cannot be read" 2 unreadable_frame.scn
has 'unreadable_frame.scn:6: in: frame 0 in frame 0 is from another site: its document cannot be read'

run "a binding cannot be set" 2 set_binding.scn
has 'set_binding.scn:4: set: IEdoc cannot be set'

run "a timer this build does not know yet" 2 later_timer.scn
has 'later_timer.scn:4: expect timer: the timer SettingsPoll is not known to this build yet'

run "an unterminated quote" 2 bad_quote.scn
has 'bad_quote.scn:3: unterminated quote'

run "an unknown escape" 2 bad_escape.scn
has 'bad_escape.scn:1: unknown escape \q'

run "an error outweighs a failure" 2 fail_expect.scn unknown_command.scn pass.scn
last "1 passed, 2 failed"

run "a missing file" 2 no_such_file.scn
has 'no_such_file.scn: cannot open'

run "no files" 2

# --- the transcript ---
run "-v prints the commands and the system's answers" 0 -v verbose.scn
has 'verbose.scn:5: start'
has 'verbose.scn:7: popup'
has '    popup blocked'
has '    beep'
has '    result "example.com"'
has 'verbose.scn:9: stop'
last "1 passed, 0 failed"

run "-v tells what changed while time passed, with its time" 0 -v watch_verbose.scn
has '    toolbar form loaded: Timer1 on'
has '    page hooks bound to the page shown (IEdoc bound)'
has '    at +20 ms: user-action window opens (UserActionFlag true)'
has '    at +20 ms: timers: Timer1 off, Timer2 on'
has '    at +1080 ms: user-action window closes (UserActionFlag false)'
has '    at +1080 ms: timers: Timer1 on, Timer2 off'
has '    right-click pass granted (AllowNextPopup true)'
has '    popup allowed'
has '    right-click pass gone (AllowNextPopup false)'
has '    page loading (PageComplete false)'
has '    NavigationStart 28801 (08:00:01)'
has '    at +500 ms: About item reads "About     1"'
has '    at +500 ms: script 0 text "a  b" (was "a xxxtoolbar b")'
has '    from +1000 to +3000 ms: About item reads "About     2" ... "About     6" (5 changes)'
has '    toolbar form unloaded: its timers stop'
lacks 'at +40 ms'
lacks 'at +60 ms'
last "1 passed, 0 failed"

# Waits run step by step under -v; the scenarios must pass the same way with it.
if [ -d ../../scenarios ]; then
  run "every scenario passes with -v as without" 0 -v ../../scenarios/*.scn
fi

run "without -v only the summary" 0 verbose.scn
lacks 'verbose.scn:'
last "1 passed, 0 failed"

if [ "$failures" -ne 0 ]; then
  echo "$failures runner test(s) failed"
  exit 1
fi
echo "all runner tests passed"
exit 0
