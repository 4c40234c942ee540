#!/usr/bin/env bash
# The real program: type a name, Start, wait, Stop, Copy, and read the result line from the
# X clipboard.
source "$(dirname "$0")/lib.sh"

e2e_start_x
e2e_copy_app "$1"
e2e_spawn "$E2E_APP"
wid=$(e2e_wait_window TForm1) || e2e_fail "main window did not appear"

click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; }

# edtNAME at (123, 22), 83 x 22: replace the name.
click 160 33
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "Tester"
click 30 23 # Start
sleep 2
click 90 23 # Stop
click 233 23 # Copy

read_clipboard() { xclip -o -selection clipboard 2>/dev/null; }
e2e_wait_until 10 bash -c 'xclip -o -selection clipboard >/dev/null 2>&1' || e2e_fail "nothing on the clipboard"
line=$(read_clipboard)
e2e_log "clipboard: $line"

today=$(date +%Y/%m/%d)
pattern="^Tester's record『 00:0[1-4]\.[0-9]{3} 』　\( ${today} [0-2][0-9]:[0-5][0-9]　by \[PLMO\] Pellimo by Vaskorin \)$"
[[ "$line" =~ $pattern ]] || e2e_fail "result line does not match: '$line'"
[[ $(read_clipboard | wc -l) -le 1 ]] || e2e_fail "more than one line on the clipboard"
e2e_log "ok"
