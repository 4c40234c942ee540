#!/usr/bin/env bash
# Copy result against other clipboard clients: a rival that takes the clipboard straight back and
# never hands out its content must bring the error box; a clipboard manager that takes over and
# serves the line is a success, and the line reads back through the X server.
#   clipboard.sh <PLMO> <clipclient>
source "$(dirname "$0")/lib.sh"

CLIPCLIENT="$2"
ERROR_BOX='^Pellimo$'
e2e_start_x
e2e_copy_app "$1"
e2e_start_main
wid=$E2E_MAIN

click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; }
start_client()
{
    e2e_spawn "$CLIPCLIENT" "$1" >"$E2E_TMP/$1.out"
    CLIENT_PID=$E2E_LAST_PID
    e2e_wait_until 10 grep -q ready "$E2E_TMP/$1.out" || e2e_fail "clipclient $1 did not start"
}
stop_client() { kill -KILL "$CLIENT_PID" 2>/dev/null; wait "$CLIENT_PID" 2>/dev/null; }
copy_result() { click 233 23; }

click 30 23 # Start
sleep 0.3
click 90 23 # Stop

# The rival: the error box, each time.
start_client thief
for attempt in 1 2; do
    copy_result
    e2e_wait_until 5 e2e_found --onlyvisible --name "$ERROR_BOX" ||
        e2e_fail "no error box when another client kept the clipboard (copy $attempt)"
    e2e_dismiss_box "$ERROR_BOX"
done
stop_client

# The clipboard manager: no error box, and the line is on the clipboard, served by the manager.
start_client manager
copy_result
sleep 2
e2e_gone --onlyvisible --name "$ERROR_BOX" || e2e_fail "an error box although a clipboard manager serves the line"
line=$(timeout 5 xclip -o -selection clipboard 2>/dev/null)
[[ "$line" =~ ^NoName\'s\ record ]] || e2e_fail "the clipboard manager does not serve the line: '$line'"
stop_client

# Alone again: a plain copy succeeds.
copy_result
sleep 1
e2e_gone --onlyvisible --name "$ERROR_BOX" || e2e_fail "an error box for a plain copy"
[[ "$(timeout 5 xclip -o -selection clipboard 2>/dev/null)" =~ ^NoName\'s\ record ]] || e2e_fail "plain copy lost"
e2e_log "ok"
