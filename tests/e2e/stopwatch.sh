#!/usr/bin/env bash
# The real program: type a name, Start, see the time label run (also while the modal selection
# dialog is open), Stop, Copy, and read the result line from the X clipboard.
source "$(dirname "$0")/lib.sh"

e2e_start_x
e2e_copy_app "$1"
e2e_spawn "$E2E_APP"
wid=$(e2e_wait_window TForm1) || e2e_fail "main window did not appear"

click() { e2e_click "$wid" "$1" "$2"; }

# edtNAME at (123, 22), 83 x 22: replace the name.
click 160 33
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "Tester"
# The time label (123, 1, 83 x 20) as pixels: a running label changes between two looks.
label_pixels()
{
    local x y
    read -r x y < <(e2e_client_origin "$wid")
    x=$((x + 123)) y=$((y + 1))
    import -window root -crop "83x20+${x}+${y}" rgb:- 2>/dev/null | sha256sum
}
label_runs()
{
    local before
    before=$(label_pixels)
    sleep 0.7
    [[ "$(label_pixels)" != "$before" ]]
}

click 30 23 # Start
sleep 0.5
label_runs || e2e_fail "the time label does not run after Start"
click 155 140 # a tree button opens the modal selection dialog
dialog=$(e2e_wait_window TForm2 10) || e2e_fail "selection dialog did not appear"
sleep 0.3
label_runs || e2e_fail "the time label stops while the selection dialog is open"
e2e_click "$dialog" 265 211 # Close
e2e_wait_until 10 e2e_gone --onlyvisible --class '^TForm2$' ||
    e2e_fail "selection dialog did not close"
click 90 23 # Stop
click 233 23 # Copy

read_clipboard() { xclip -o -selection clipboard 2>/dev/null; }
e2e_wait_until 10 bash -c 'xclip -o -selection clipboard >/dev/null 2>&1' || e2e_fail "nothing on the clipboard"
line=$(read_clipboard)
e2e_log "clipboard: $line"

today=$(date +%Y/%m/%d)
pattern="^Tester's record『 00:0[1-9]\.[0-9]{3} 』　\( ${today} [0-2][0-9]:[0-5][0-9]　by \[PLMO\] Pellimo by Vaskorin \)$"
[[ "$line" =~ $pattern ]] || e2e_fail "result line does not match: '$line'"
[[ $(read_clipboard | wc -l) -le 1 ]] || e2e_fail "more than one line on the clipboard"
e2e_log "ok"
