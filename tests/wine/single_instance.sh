#!/usr/bin/env bash
# PLMO.exe under wine, one instance: a second start ends with 0 within 3 s without a window
# and without touching the settings file; it brings the running window to the front and
# restores it when it was minimised.
# Usage: single_instance.sh <folder with PLMO.exe and wineprobe.exe>
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly SECOND_START_LIMIT=3
readonly OTHER="Another program"

e2e_start_x
wine_copy_app
wine_start_app
first_pid=$APP_PID

settings_state()
{
    if [[ -e "$E2E_SETTINGS" ]]; then sha256sum <"$E2E_SETTINGS"; else echo absent; fi
}

main_windows()
{
    e2e_search --onlyvisible --name "$CAPTION_RE" | wc -l
}

# A Windows program of its own in the foreground, so that raising PLMO is a change to see.
e2e_spawn wine "$E2E_TMP/app/wineprobe.exe" window "$OTHER"
other=$(wine_wait_name "^$OTHER\$" 60) || e2e_fail "the other program shows no window"
focus_other()
{
    xdotool windowactivate "$other" 2>/dev/null
    e2e_wait_until 20 probe_says "$OTHER" foreground || e2e_fail "could not give the foreground to another program"
}

second_start()
{
    local started=$SECONDS
    e2e_spawn wine "$E2E_APP"
    local pid=$E2E_LAST_PID
    # The wine loader itself needs a moment; the bound is for the program's whole run.
    e2e_wait_exit "$pid" "$SECOND_START_LIMIT" ||
        e2e_fail "second start still running after ${SECOND_START_LIMIT} s"
    [[ "$E2E_EXIT_CODE" == 0 ]] || e2e_fail "second start ended with $E2E_EXIT_CODE"
    e2e_log "second start ended with 0 after $((SECONDS - started)) s"
}

e2e_log "second start while the first runs behind another program"
focus_other
before=$(settings_state)
second_start
e2e_wait_until 10 probe_says "$CAPTION" foreground || e2e_fail "the first window did not come to the front: $(probe foreground)"
[[ "$(main_windows)" == 1 ]] || e2e_fail "a second start made a second window"
[[ "$(settings_state)" == "$before" ]] || e2e_fail "a second start touched the settings file"
kill -0 "$first_pid" 2>/dev/null || e2e_fail "the first instance died"

e2e_log "second start while the first is minimised"
focus_other
probe minimize "$CAPTION"
e2e_wait_until 10 probe_says 1 iconic "$CAPTION" || e2e_fail "could not minimise the first window"
e2e_wait_until 10 wm_state_is "$WID" Iconic || e2e_fail "the X window did not go iconic"
second_start
e2e_wait_until 10 probe_says 0 iconic "$CAPTION" || e2e_fail "the minimised window was not restored"
e2e_wait_until 10 wm_state_is "$WID" Normal || e2e_fail "the X window was not mapped again"
e2e_wait_until 10 probe_says "$CAPTION" foreground || e2e_fail "the restored window is not in front: $(probe foreground)"
[[ "$(main_windows)" == 1 ]] || e2e_fail "a second start made a second window"
[[ "$(settings_state)" == "$before" ]] || e2e_fail "a second start touched the settings file"

wine_close_app
echo "wine_single_instance: every check passed"
