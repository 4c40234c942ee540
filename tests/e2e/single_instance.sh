#!/usr/bin/env bash
# One PLMO per session: a second start hands over to the running window (restored and raised)
# and ends with 0 without a window of its own or a touch of the settings file; the lock dies
# with its holder; a burst of parallel starts leaves exactly one instance; so do a missing runtime
# folder and other spellings of the display (":0N", "unix:N.0").
# Usage: single_instance.sh <path of PLMO>

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -ge 1 && -x "$1" ]] || e2e_fail "usage: $0 <PLMO>"
e2e_start_x
e2e_copy_app "$1"

# Bound for a second instance's whole run: it must never wait for the first one.
readonly SECOND_START_LIMIT=10
readonly CLASS=TForm1
readonly BURST=20

settings_state()
{
    if [[ -e "$E2E_SETTINGS" ]]; then
        sha256sum <"$E2E_SETTINGS"
    else
        echo absent
    fi
}

is_active()
{
    [[ "$(xdotool getactivewindow 2>/dev/null)" == "$1" ]]
}

is_top_of_stack()
{
    # _NET_CLIENT_LIST_STACKING lists bottom to top; openbox writes ids in hex.
    local top
    top="$(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*' | tail -n 1)"
    [[ -n "$top" && $((top)) -eq "$1" ]]
}

no_windows()
{
    [[ "$(e2e_window_count "$CLASS")" == 0 ]]
}

# Runs a start that must be a second instance (the program, or a command that runs it); fails
# unless it ends with 0 in time.
second_start()
{
    e2e_spawn "${@:-$E2E_APP}"
    local pid="$E2E_LAST_PID"
    e2e_wait_exit "$pid" "$SECOND_START_LIMIT" || e2e_fail "second instance still running after ${SECOND_START_LIMIT}s"
    [[ "$E2E_EXIT_CODE" == 0 ]] || e2e_fail "second instance ended with $E2E_EXIT_CODE"
}

# Another program in the foreground, so that raising PLMO is a change we can see.
focus_other_program()
{
    local other
    other="$(e2e_search --onlyvisible --class '^Xmessage$' | head -n 1)"
    xdotool windowactivate "$other" 2>/dev/null
    e2e_wait_until 10 is_active "$other" || e2e_fail "could not give the focus to another program"
}

close_window()
{
    local window="$1" pid="$2"
    wmctrl -i -c "$window"
    e2e_wait_exit "$pid" 30 || e2e_fail "PLMO did not end after its window was closed"
    [[ "$E2E_EXIT_CODE" == 0 ]] || e2e_fail "PLMO ended with $E2E_EXIT_CODE after close"
}

e2e_spawn xmessage -geometry +700+500 -name other "another program"
e2e_wait_window Xmessage >/dev/null || e2e_fail "xmessage did not show"

e2e_log "first start"
e2e_spawn "$E2E_APP"
first_pid="$E2E_LAST_PID"
window="$(e2e_wait_window "$CLASS")" || e2e_fail "no window of class $CLASS"
e2e_wait_until 10 wm_state_is "$window" Normal || e2e_fail "first window not managed"
[[ "$(xprop -id "$window" WM_CLASS)" == 'WM_CLASS(STRING) = "PLMO", "TForm1"' ]] ||
    e2e_fail "main window class is $(xprop -id "$window" WM_CLASS)"
# No settings file yet: stay-on-top is on by default, and the window class survived setting it.
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || e2e_fail "main window not in the top band"

e2e_log "second start while the first runs in the background"
focus_other_program
before="$(settings_state)"
second_start
e2e_wait_until 10 is_active "$window" || e2e_fail "first window not activated by the second start"
e2e_wait_until 10 is_top_of_stack "$window" || e2e_fail "first window not raised by the second start"
[[ "$(e2e_window_count "$CLASS")" == 1 ]] || e2e_fail "a second start made a second window"
[[ "$(settings_state)" == "$before" ]] || e2e_fail "a second start changed the settings file"
kill -0 "$first_pid" 2>/dev/null || e2e_fail "the first instance died"

e2e_log "--version and --help answer while the first runs, without handing over"
before="$(settings_state)"
version="$(timeout "$SECOND_START_LIMIT" "$E2E_APP" --version)" || e2e_fail "--version failed"
[[ "$version" == "PLMO (Pellimo) "* ]] || e2e_fail "--version printed: $version"
timeout "$SECOND_START_LIMIT" "$E2E_APP" --help | grep -q '^Usage: PLMO' || e2e_fail "--help printed no usage"
[[ "$(e2e_window_count "$CLASS")" == 1 ]] || e2e_fail "an information option made a window"
[[ "$(settings_state)" == "$before" ]] || e2e_fail "an information option changed the settings file"

e2e_log "second start while the first is minimised"
focus_other_program
xdotool windowminimize "$window"
e2e_wait_until 10 wm_state_is "$window" Iconic || e2e_fail "could not minimise the first window"
before="$(settings_state)"
second_start
e2e_wait_until 10 wm_state_is "$window" Normal || e2e_fail "minimised window not restored"
e2e_wait_until 10 is_active "$window" || e2e_fail "restored window not activated"
[[ "$(e2e_window_count "$CLASS")" == 1 ]] || e2e_fail "a second start made a second window"
[[ "$(settings_state)" == "$before" ]] || e2e_fail "a second start changed the settings file"

e2e_log "start after the first was killed with SIGKILL"
kill -KILL "$first_pid"
e2e_wait_exit "$first_pid" 30 || e2e_fail "killed instance did not go away"
e2e_wait_until 30 no_windows || e2e_fail "window of the killed instance remains"
e2e_spawn "$E2E_APP"
first_pid="$E2E_LAST_PID"
window="$(e2e_wait_window "$CLASS")" || e2e_fail "a start after a crash did not become the first instance"
kill -0 "$first_pid" 2>/dev/null || e2e_fail "the start after a crash ended"
close_window "$window" "$first_pid"
e2e_wait_until 30 no_windows || e2e_fail "window remains after close"

e2e_log "burst of $BURST parallel starts"
before="$(settings_state)"
burst=()
for ((i = 0; i < BURST; i++)); do
    e2e_spawn "$E2E_APP"
    burst+=("$E2E_LAST_PID")
done

alive_count()
{
    local n=0 pid
    for pid in "${burst[@]}"; do
        kill -0 "$pid" 2>/dev/null && n=$((n + 1))
    done
    [[ $n -le 1 ]]
}
e2e_wait_until $((SECOND_START_LIMIT * 2)) alive_count || e2e_fail "more than one start of the burst keeps running"
survivor=""
for pid in "${burst[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
        survivor="$pid"
        continue
    fi
    e2e_wait_exit "$pid" 1
    [[ "$E2E_EXIT_CODE" == 0 ]] || e2e_fail "a start of the burst ended with $E2E_EXIT_CODE"
done
[[ -n "$survivor" ]] || e2e_fail "no start of the burst kept running"
window="$(e2e_wait_window "$CLASS")" || e2e_fail "the surviving start shows no window"
[[ "$(e2e_window_count "$CLASS")" == 1 ]] || e2e_fail "the burst left $(e2e_window_count "$CLASS") windows"
[[ "$(settings_state)" == "$before" ]] || e2e_fail "the burst changed the settings file before any close"
close_window "$window" "$survivor"
e2e_wait_until 30 no_windows || e2e_fail "window remains after close"

e2e_log "runtime folder missing, the display named three ways: still one instance"
missing="$E2E_TMP/no-such/folder"
number="${DISPLAY#:}"
e2e_spawn env XDG_RUNTIME_DIR="$missing" DISPLAY=":$number" "$E2E_APP"
first_pid="$E2E_LAST_PID"
window="$(e2e_wait_window "$CLASS")" || e2e_fail "no window with the runtime folder missing"
for name in ":0$number" "unix:$number.0"; do
    second_start env XDG_RUNTIME_DIR="$missing" DISPLAY="$name" "$E2E_APP"
    [[ "$(e2e_window_count "$CLASS")" == 1 ]] || e2e_fail "DISPLAY=$name without a runtime folder made a second window"
done
kill -0 "$first_pid" 2>/dev/null || e2e_fail "the first instance died"
close_window "$window" "$first_pid"
e2e_wait_until 30 no_windows || e2e_fail "window remains after close"

e2e_log "second start without a window manager"
e2e_stop_wm
e2e_spawn "$E2E_APP"
first_pid="$E2E_LAST_PID"
window="$(e2e_wait_window "$CLASS")" || e2e_fail "no window without a window manager"
other="$(e2e_search --onlyvisible --class '^Xmessage$' | head -n 1)"
xdotool windowfocus "$other"
has_focus()
{
    [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$1" ]]
}
e2e_wait_until 10 has_focus "$other" || e2e_fail "could not focus another program"
second_start
e2e_wait_until 10 has_focus "$window" || e2e_fail "second start did not focus the first window"
[[ "$(e2e_window_count "$CLASS")" == 1 ]] || e2e_fail "a second start made a second window"
e2e_start_wm
close_window "$window" "$first_pid"

echo "e2e_single_instance: every check passed"
