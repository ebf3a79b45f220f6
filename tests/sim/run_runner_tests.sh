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
cases=$(mktemp -d) || exit 2
trap 'rm -f "$out"; rm -rf "$cases"' EXIT INT TERM
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

# runs TITLE STATUS: runs the scenario read from standard input as the file case.scn.
runs() {
  cat >"$cases/case.scn"
  run "$1" "$2" "$cases/case.scn"
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

run "a frame the page does not have" 2 no_frame.scn
has 'no_frame.scn:6: in: no frame 5 (the document has 2 frames)'

run "a frame whose document cannot be read" 2 unreadable_frame.scn
has 'unreadable_frame.scn:6: in: frame 0 in frame 0 is from another site: its document cannot be read'

run "a binding cannot be set" 2 set_binding.scn
has 'set_binding.scn:4: set: IEdoc cannot be set'

runs "the settings timer is switched by no hand" 2 <<EOF
start
timer SettingsPoll off
EOF
has 'case.scn:2: timer: only Timer1, Timer2 and Timer3 are switched by hand'

run "an unterminated quote" 2 bad_quote.scn
has 'bad_quote.scn:3: unterminated quote'

run "an unknown escape" 2 bad_escape.scn
has 'bad_escape.scn:1: unknown escape \q'

run "an error outweighs a failure" 2 fail_expect.scn unknown_command.scn pass.scn
last "1 passed, 2 failed"

run "a missing file" 2 no_such_file.scn
has 'no_such_file.scn: cannot open'

run "no files" 2

# --- the band's toolbar: failing expectations (exit 1) ---
# The start every case below shares: blocking on, a count of 4, the toolbar shown.
toolbar_start='reg set processNR "1"
reg set processNL "0"
reg set processNC "4"
start'

runs "a menu with other captions" 1 <<EOF
$toolbar_start
bandkey sysdown 83
expect menu "&1 google.com" - "About"
EOF
has 'case.scn:6: expected menu "&1 google.com" - "About", got "&1 google.com" "&2 groups.google.com"'

runs "no menu has dropped" 1 <<EOF
$toolbar_start
bandkey up 75
expect menu "About"
EOF
has 'case.scn:6: expected menu "About", got no menu dropped'

runs "a message box with another title" 1 <<EOF
$toolbar_start
button 2
expect msgbox "Blocked a total of 4 popups!!"
expect msgbox "Blocked a total of 4 popups!!" title="Tarnivo" icon=exclamation
expect msgbox "Blocked a total of 4 popups!!" title="Error"
EOF
has 'case.scn:8: expected msgbox "Blocked a total of 4 popups!!" title="Error", got "Blocked a total of 4 popups!!" title="Tarnivo" icon=exclamation'

runs "no message box yet" 1 <<EOF
$toolbar_start
expect msgboxes 0
expect msgbox "x"
EOF
has 'case.scn:6: expected msgbox "x", got no message box'

runs "band info with other sizes" 1 <<EOF
$toolbar_start
bandinfo 0x21
expect bandinfo min=200,22 max=-1,-1 integral=1,1 actual=200,22 modeflags=0
EOF
has 'case.scn:6: expected bandinfo min=200,22 max=-1,-1 integral=1,1 actual=200,22 modeflags=0, got min=200,22 max=0,0 integral=0,0 actual=0,0 modeflags=0'

runs "band info never asked for" 1 <<EOF
$toolbar_start
expect bandinfo min=0,0 max=0,0 integral=0,0 actual=0,0 modeflags=0
EOF
has 'case.scn:5: expected bandinfo min=0,0 max=0,0 integral=0,0 actual=0,0 modeflags=0, got no band info (bandinfo MASK first)'

runs "other images" 1 <<EOF
$toolbar_start
expect images 104 105
EOF
has 'case.scn:5: expected images 104 105, got icons 103 101'

runs "an image set the toolbar has no icons for" 1 <<EOF
$toolbar_start
set Icone 7
expect images
expect images 103 101
EOF
has 'case.scn:7: expected images 103 101, got an empty image list'

# --- the band's toolbar: actions the toolbar refuses (exit 1) ---
runs "a button the toolbar does not have" 1 <<EOF
$toolbar_start
button 9
EOF
has 'case.scn:5: button: the toolbar has no button 9'

runs "a hidden toolbar cannot be pressed" 1 <<EOF
$toolbar_start
show no
dropdown 1
EOF
has 'case.scn:6: dropdown: the toolbar is hidden (show yes first)'

runs "the count button has no arrow" 1 <<EOF
$toolbar_start
dropdown 2
EOF
has 'case.scn:5: dropdown: toolbar button 2 has no drop-down arrow'

runs "an entry the menu does not have" 1 <<EOF
$toolbar_start
dropdown 1 choose="Disable"
EOF
has 'case.scn:5: dropdown: the menu that dropped has no entry "Disable" (it shows "Disable Tarnivo" "Normal" - "Allow URL"'

runs "a master switch that is not a number leaves the band without buttons" 1 <<EOF
reg set processNR "x"
start
button 1
EOF
has 'case.scn:3: button: the toolbar has no button 1'

# --- language files: written where the system looks, in both forms; wrong forms stop the file ---
runs "a language file in the languages folder of the stored path" 0 <<EOF
reg set path "C:\\\\Runner"
reg set Lang "Deutsch"
langfile file "Notes.txt" "not a language"
langfile "Deutsch" "[menu]\\r\\nabout=\\xDCber\\r\\n"
start
expect caption mnuSOBRE "\\xDCber"
EOF
for bad in 'langfile Deutsch' 'langfile Deutsch bytes' 'langfile file "a.txt"' 'langfile file a.txt "x"'; do
  printf '%s\n' "$bad" >"$cases/case.scn"
  run "a language file command of the wrong form: $bad" 2 "$cases/case.scn"
  has 'case.scn:1: langfile'
done

# --- choosing from a menu by its caption or by its place, and captions by their start ---
runs "an entry chosen by its place, separators counted" 0 <<EOF
$toolbar_start
dropdown 1 choose=#1
expect reg processNR "0\\0"
bandkey sysdown 75 choose="Enable Tarnivo"
expect reg processNR "1\\0"
expect caption tete prefix="Disable"
expect caption mnuSOBRE prefix=""
EOF
last "1 passed, 0 failed"

runs "a place that names a separator chooses nothing" 1 <<EOF
$toolbar_start
dropdown 1 choose=#3
EOF
has 'case.scn:5: dropdown: the menu that dropped has no entry #3 that can be chosen (it shows "Disable Tarnivo" "Normal" - "Allow URL"'

runs "a quoted #K is a caption" 1 <<EOF
$toolbar_start
dropdown 1 choose="#1"
EOF
has 'case.scn:5: dropdown: the menu that dropped has no entry "#1" (it shows'

runs "a key that drops no menu chooses nothing" 1 <<EOF
$toolbar_start
bandkey sysdown 65 choose=#1
EOF
has 'case.scn:5: bandkey: no menu dropped, so #1 could not be chosen'

runs "a caption that does not begin so" 1 <<EOF
$toolbar_start
expect caption tete prefix="Enable"
EOF
has 'case.scn:5: expected caption tete prefix="Enable", got "Disable Tarnivo"'

runs "places count from 1" 2 <<EOF
$toolbar_start
dropdown 1 choose=#0
EOF
has 'case.scn:5: dropdown: choose=#K takes an entry number from 1, not "#0"'

# --- the band's toolbar: lines that cannot be run (exit 2) ---
runs "a key message the format does not know" 2 <<EOF
$toolbar_start
bandkey press 75
EOF
has 'case.scn:5: bandkey: expected down, up, char, sysdown or sysup, not "press"'

runs "a band info expectation lacking a field" 2 <<EOF
$toolbar_start
bandinfo 127
expect bandinfo min=200,22 max=-1,-1 integral=1,1 actual=200,22
EOF
has 'case.scn:6: expect bandinfo: missing modeflags= (the expectation gives all five fields)'

runs "a message box icon the format does not know" 2 <<EOF
$toolbar_start
expect msgbox "x" icon=question
EOF
has 'case.scn:5: expect msgbox: icon takes exclamation, not "question"'

runs "a toolbar action before the browser opens" 2 <<EOF
button 1
EOF
has 'case.scn:1: button: no browser window is open (start first)'

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
# The settings timer's first tick (200 ms after the load) runs the page scan, ActiveX blocking
# being on; the scan's ticks come every 500 ms from then.
has '    at +160 ms: timers: Timer3 on'
has '    at +460 ms: About item reads "About     1"'
has '    at +460 ms: script 0 text "a  b" (was "a xxxtoolbar b")'
has '    from +960 to +2960 ms: About item reads "About     2" ... "About     6" (5 changes)'
has '    toolbar form unloaded: its timers stop'
lacks 'at +40 ms'
lacks 'at +60 ms'
last "1 passed, 0 failed"

run "-v tells what the toolbar showed and what the user answered" 0 -v toolbar_verbose.scn
has '    window 1 opens: Enabled "1", BlockLevel "0", count 0, m_oIE bound, button image set 103 (icons 103 101)'
has '    toolbar hidden'
has '    toolbar shown'
has '    band info min=200,22 max=-1,-1 integral=1,1 actual=200,22 modeflags=0'
has '    button image set 1 (was 103): icons 103 102'
has '    menu at 0,22: "Disable Tarnivo" "Normal" - "Allow URL" "Allowed URLs" "Block ActiveX Dialog" "Blocked ActiveX URLs" - "English" "About" - "Blocked a total of 1 popups" -> none'
has '    toolbar redrawn'
has '"Blocked a total of 1 popups" -> 1000'
has '    registry set HKLM\Software\Tarnivo processNR REG_SZ "0\0"'
has '    message box "Blocked a total of 1 popups!!" title "Tarnivo" type 0x30 -> 1'
has '    menu at 130,22: "&1 google.com" "&2 groups.google.com" -> none'
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
