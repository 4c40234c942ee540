#!/usr/bin/env bash
# PLMO.exe under wine: chTopmost moves the main window in and out of the topmost band
# (WS_EX_TOPMOST, and _NET_WM_STATE_ABOVE that wine sets on the X window); the window leaves
# the band while the selection dialog is open; the pointer entering the window takes the
# foreground from another program and leaves the foreground lock time-out as it was; Copy
# puts the result line on the X clipboard.
# Usage: stay_on_top.sh <folder with PLMO.exe and wineprobe.exe>
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly OTHER="Another program"
readonly DIALOG_RE='^Please select \*This screen can be moved\*$'
readonly CHECKBOX="62 336" # chTopmost
readonly TREE="155 140"    # a tree button: opens the selection dialog
readonly CLOSE="265 211"   # the dialog's Close button
readonly START="30 23"     # btnSTA
readonly STOP="90 23"      # btnEND
readonly COPY="233 23"     # btnCOPY, enabled once the stopwatch has stopped
readonly LOCK_TIMEOUT=123456

e2e_start_x
wine_copy_app
# The calls of the foreground activation, logged with their arguments by wine's relay tracing.
wine_start_app --relay "AttachThreadInput;SystemParametersInfoW;LockSetForegroundWindow;AllowSetForegroundWindow;SetForegroundWindow;ShowWindow"

x_above()
{
    xprop -id "$WID" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE
}
x_not_above()
{
    ! x_above
}
in_band() # 1 or 0
{
    e2e_wait_until 10 probe_says "$1" topmost "$CAPTION" || e2e_fail "WS_EX_TOPMOST is $(probe topmost "$CAPTION"), expected $1 ($2)"
    if [[ "$1" == 1 ]]; then
        e2e_wait_until 10 x_above || e2e_fail "no _NET_WM_STATE_ABOVE on the X window ($2)"
    else
        e2e_wait_until 10 x_not_above || e2e_fail "_NET_WM_STATE_ABOVE left on the X window ($2)"
    fi
}

e2e_log "chTopmost toggles the band"
in_band 1 "at start"
# shellcheck disable=SC2086
e2e_click "$WID" $CHECKBOX
in_band 0 "after unchecking"
# shellcheck disable=SC2086
e2e_click "$WID" $CHECKBOX
in_band 1 "after checking again"

e2e_log "the band is left while the selection dialog is open"
# shellcheck disable=SC2086
e2e_click "$WID" $TREE
dialog=$(wine_wait_name "$DIALOG_RE" 30) || e2e_fail "the selection dialog did not open"
in_band 0 "with the dialog open"
# shellcheck disable=SC2086
e2e_click "$dialog" $CLOSE
e2e_wait_until 20 e2e_gone --onlyvisible --name "$DIALOG_RE" || e2e_fail "the selection dialog did not close"
in_band 1 "after the dialog closed"

e2e_log "the pointer entering the window takes the foreground"
probe setlocktimeout "$LOCK_TIMEOUT"
[[ "$(probe locktimeout)" == "$LOCK_TIMEOUT" ]] || e2e_fail "could not set the foreground lock time-out"
xdotool mousemove 5 5
e2e_spawn wine "$E2E_TMP/app/wineprobe.exe" window "$OTHER"
other=$(wine_wait_name "^$OTHER\$" 60) || e2e_fail "the other program shows no window"
xdotool windowactivate "$other" 2>/dev/null
e2e_wait_until 20 probe_says "$OTHER" foreground || e2e_fail "could not give the foreground to another program"
# The X focus stays with the other window (wine does not move it), and under load a focus event
# for it that comes late makes wine give it the foreground back: let that traffic settle first.
sleep 1
xdotool mousemove --window "$WID" 150 200
# Under load wine now and then loses an entry (about one run in seven, the same before and after
# the Qt of this build changed); a second entry tells that apart from an activation that is broken.
if ! e2e_wait_until 5 probe_says "$CAPTION" foreground; then
    e2e_log "no foreground after the first entry; leaving and entering once more"
    xdotool mousemove 5 5
    sleep 1
    xdotool mousemove --window "$WID" 150 200
    e2e_wait_until 10 probe_says "$CAPTION" foreground ||
        e2e_fail "pointer enter did not take the foreground: $(probe foreground)"
fi
# Not checked: the X window manager's active window. Wine 8 changes its own foreground window
# but does not ask the window manager to activate a managed window, so X keeps the other one.
[[ "$(probe locktimeout)" == "$LOCK_TIMEOUT" ]] || e2e_fail "foreground lock time-out is $(probe locktimeout) afterwards"

# The calls in their order, from the thread's input joined to the foreground thread until it is
# separated again; SystemParametersInfoW only for the lock time-out (Qt reads other values).
activation_calls()
{
    sed -n 's/^\([0-9a-f]*\):Call user32\.\([A-Za-z]*\)(\([^)]*\)).*/\1 \2(\3)/p' "$E2E_TMP/relay.log" |
        awk '$2 ~ /^SystemParametersInfoW\(/ && $2 !~ /^SystemParametersInfoW\(0000200[01],/ { next }
             $2 ~ /^AttachThreadInput\(.*,00000001\)$/ && !on { on = 1; thread = $1 }
             on && $1 == thread { print $2 }
             on && $1 == thread && $2 ~ /^AttachThreadInput\(.*,00000000\)$/ { exit }'
}
timeout_hex=$(printf '%08x' "$LOCK_TIMEOUT")
calls=$(activation_calls | tr '\n' ' ')
expected="^AttachThreadInput\(([0-9a-f]+),([0-9a-f]+),00000001\) \
SystemParametersInfoW\(00002000,00000000,[0-9a-f]+,00000000\) \
SystemParametersInfoW\(00002001,00000000,00000000,00000000\) \
LockSetForegroundWindow\(00000002\) \
AllowSetForegroundWindow\([0-9a-f]+\) \
SetForegroundWindow\(([0-9a-f]+)\) \
ShowWindow\(([0-9a-f]+),00000005\) \
SystemParametersInfoW\(00002001,00000000,${timeout_hex},00000000\) \
AttachThreadInput\(([0-9a-f]+),([0-9a-f]+),00000000\) $"
e2e_log "activation calls: $calls"
[[ "$calls" =~ $expected ]] || e2e_fail "foreground activation calls: $calls"
[[ "${BASH_REMATCH[1]},${BASH_REMATCH[2]}" == "${BASH_REMATCH[5]},${BASH_REMATCH[6]}" ]] ||
    e2e_fail "the threads separated are not the ones joined: $calls"
[[ "${BASH_REMATCH[3]}" == "${BASH_REMATCH[4]}" ]] || e2e_fail "shown another window than the one brought forward"
joins=$(grep -c 'Call user32.AttachThreadInput(.*,00000001)' "$E2E_TMP/relay.log")
parts=$(grep -c 'Call user32.AttachThreadInput(.*,00000000)' "$E2E_TMP/relay.log")
[[ "$joins" == "$parts" ]] || e2e_fail "$joins thread joins but $parts separations"

e2e_log "with stay-on-top off the pointer changes nothing"
# shellcheck disable=SC2086
e2e_click "$WID" $CHECKBOX
in_band 0 "after unchecking"
xdotool mousemove 5 5
xdotool windowactivate "$other" 2>/dev/null
e2e_wait_until 20 probe_says "$OTHER" foreground || e2e_fail "could not give the foreground to another program"
xdotool mousemove --window "$WID" 150 200
sleep 1
[[ "$(probe foreground)" == "$OTHER" ]] || e2e_fail "stay-on-top off, yet the pointer took the foreground"
# shellcheck disable=SC2086
e2e_click "$WID" $CHECKBOX
in_band 1 "after checking again"

e2e_log "Copy reaches the X clipboard"
# shellcheck disable=SC2086
e2e_click "$WID" $START
sleep 0.5
# shellcheck disable=SC2086
e2e_click "$WID" $STOP
# shellcheck disable=SC2086
e2e_click "$WID" $COPY
clipboard_has_line()
{
    [[ "$(xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null)" == *"by [PLMO] Pellimo by Vaskorin )" ]]
}
e2e_wait_until 20 clipboard_has_line || e2e_fail "no result line on the X clipboard: '$(xclip -o -selection clipboard -t UTF8_STRING 2>&1)', targets: $(xclip -o -selection clipboard -t TARGETS 2>&1 | tr '\n' ' ')"
line=$(xclip -o -selection clipboard -t UTF8_STRING)
today=$(date +%Y/%m/%d)
pattern="^NoName's record『 [0-9]{2}:[0-9]{2}\.[0-9]{3} 』　\( ${today} [0-2][0-9]:[0-5][0-9]　by \[PLMO\] Pellimo by Vaskorin \)$"
[[ "$line" =~ $pattern ]] || e2e_fail "result line: '$line'"

wine_close_app
grep -q $'^chTopmost=1\r$' "$E2E_SETTINGS" || e2e_fail "stay-on-top not saved: $(cat -A "$E2E_SETTINGS")"
echo "wine_stay_on_top: every check passed"
