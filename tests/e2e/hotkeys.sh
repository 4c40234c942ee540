#!/usr/bin/env bash
# Global hotkeys with the real program while another client's window is active: Start/Stop
# starts and stops the stopwatch, Copy result copies the line, and the other window stays
# active throughout; a held key acts once; a key the server keeps (a console switch) and a key
# another client holds are reported, and nothing is stored; the [Hotkeys] section survives a
# restart byte for byte.
# Usage: hotkeys.sh <PLMO> <keygrab>
source "$(dirname "$0")/lib.sh"

KEYGRAB="$2"
readonly HOTKEYS_DIALOG='^Hotkeys$'
readonly MAP="150 200"      # a point of the map between the trees
readonly RESTART_FIELD="180 140" # the Re-Start field of the dialog (third row)

e2e_start_x
e2e_copy_app "$1"
hotkeys=$'[Hotkeys]\r\nStartStop=Ctrl+Shift+F9\r\nCopyResult=Ctrl+Shift+F10\r\nReStart=Ctrl+Alt+F9\r\n\r\n'
printf '\xef\xbb\xbf[System]\r\nNAME=Tester\r\n\r\n%s' "$hotkeys" >"$E2E_SETTINGS"

start_main()
{
    e2e_spawn "$E2E_APP" 2>>"$E2E_TMP/stderr.log"
    APP_PID=$E2E_LAST_PID
    E2E_MAIN=$(e2e_wait_window TForm1) || e2e_fail "main window did not appear"
    sleep 1
}
start_main
# The server switches consoles on Ctrl+Alt+F9 and no client ever sees it: no use as a hotkey.
grep -q 'Re-Start: Ctrl+Alt+F9 is kept by the system for itself' "$E2E_TMP/stderr.log" ||
    e2e_fail "no line on stderr for the console key: $(cat "$E2E_TMP/stderr.log")"

e2e_spawn xmessage -name other "Another program"
other=$(e2e_wait_window Xmessage) || e2e_fail "xmessage did not appear"
xdotool windowactivate --sync "$other"
other_active() { [[ "$(xdotool getactivewindow 2>/dev/null)" == "$other" ]]; }
e2e_wait_until 10 other_active || e2e_fail "could not activate the other window"

clipboard() { xclip -o -selection clipboard 2>/dev/null; }
clipboard_filled() { [[ -n "$(clipboard)" ]]; }
# The seconds of the copied time, or nothing when the copy did not happen.
copied_seconds()
{
    printf '' | xclip -selection clipboard >/dev/null 2>&1 # xclip stays to serve it
    xdotool key ctrl+shift+F10
    e2e_wait_until 10 clipboard_filled || return 1
    local line
    line=$(clipboard)
    [[ "$line" =~ ^Tester\'s\ record『\ 00:([0-9]{2})\.[0-9]{3}\ 』 ]] || e2e_fail "result line: '$line'"
    echo "$((10#${BASH_REMATCH[1]}))"
}

e2e_log "Start/Stop starts and stops, Copy result copies; the other window stays active"
xdotool key ctrl+shift+F9
sleep 2.2
other_active || e2e_fail "the other window lost the focus at Start"
xdotool key ctrl+shift+F9
sleep 0.5
other_active || e2e_fail "the other window lost the focus at Stop"
first=$(copied_seconds) || e2e_fail "Copy result copied nothing"
((first >= 2)) || e2e_fail "copied $first s after waiting 2 s"
sleep 1.2
[[ "$(copied_seconds)" == "$first" ]] || e2e_fail "the stopwatch still runs after the second Start/Stop"
other_active || e2e_fail "the other window lost the focus at Copy"

e2e_log "a held key acts once"
xdotool keydown ctrl+shift+F9
sleep 2
xdotool keyup ctrl+shift+F9
sleep 1
xdotool key ctrl+shift+F9
held=$(copied_seconds) || e2e_fail "Copy result copied nothing after holding"
# Resumed at the key's press and stopped at the next press: 3 s more, unless repeats toggled it.
((held >= first + 3)) || e2e_fail "after holding the key $held s, expected at least $((first + 3))"

e2e_log "a key another client takes meanwhile is in use: the dialog stays open, nothing is stored"
# shellcheck disable=SC2086
xdotool mousemove --window "$E2E_MAIN" $MAP click 3
sleep 0.5
xdotool mousemove_relative 30 12 click 1 # the menu's one entry, under the pointer
e2e_wait_until 10 e2e_found --onlyvisible --name "$HOTKEYS_DIALOG" || e2e_fail "the Hotkeys dialog did not open"
dialog=$(e2e_search --onlyvisible --name "$HOTKEYS_DIALOG" | head -n 1)
before=$(cat "$E2E_SETTINGS")
# shellcheck disable=SC2086
e2e_click "$dialog" $RESTART_FIELD
xdotool key ctrl+shift+F6
sleep 1.5 # the field ends its recording after a second
e2e_spawn "$KEYGRAB" F6 ctrl shift >"$E2E_TMP/keygrab.out"
grabber=$E2E_LAST_PID
e2e_wait_until 10 grep -q ready "$E2E_TMP/keygrab.out" || e2e_fail "keygrab did not start"
xdotool key Return # OK
e2e_wait_until 10 grep -q 'Re-Start: Ctrl+Shift+F6 is in use by another program' "$E2E_TMP/stderr.log" ||
    e2e_fail "the refused key was not reported: $(cat "$E2E_TMP/stderr.log")"
sleep 0.5
e2e_found --onlyvisible --name "$HOTKEYS_DIALOG" || e2e_fail "the dialog closed with a key in use"
[[ "$(cat "$E2E_SETTINGS")" == "$before" ]] || e2e_fail "the settings file changed though OK failed"
[[ -z "${PELLIMO_SHOTS:-}" ]] || import -window root "$PELLIMO_SHOTS/hotkeys-in-use.png"

e2e_log "once the key is free, OK grabs it and stores it; Re-Start runs from it"
kill "$grabber"
sleep 0.5
xdotool key Return # OK
e2e_wait_until 10 e2e_gone --onlyvisible --name "$HOTKEYS_DIALOG" || e2e_fail "the dialog did not close"
grep -q $'^ReStart=Ctrl+Shift+F6\r$' "$E2E_SETTINGS" || e2e_fail "the key was not stored: $(cat -A "$E2E_SETTINGS")"
xdotool windowactivate --sync "$other"
xdotool key ctrl+shift+F6
sleep 0.5
copied_seconds >/dev/null && e2e_fail "Copy result copied after Re-Start"
other_active || e2e_fail "the other window lost the focus at Re-Start"

e2e_log "the [Hotkeys] section survives a restart byte for byte"
section() { sed -n '/^\[Hotkeys\]/,/^\r$/p' "$E2E_SETTINGS" | od -c; }
kept=$(section)
grep -q 'StartStop=Ctrl+Shift+F9' <<<"$(cat "$E2E_SETTINGS")" || e2e_fail "StartStop lost"
e2e_close_main
start_main
e2e_close_main
[[ "$(section)" == "$kept" ]] || e2e_fail "the section changed over a restart: $(cat -A "$E2E_SETTINGS")"
e2e_log "ok"
