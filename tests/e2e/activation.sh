#!/usr/bin/env bash
# Stay-on-top and foreground activation with the real program under openbox: with another
# program active, the pointer entering a tree button makes the main window active with the
# keyboard focus where it was (typed text lands in the name field); with stay-on-top off nothing
# happens; the settings dialog never activates anything; an error box at close stands above the
# stay-on-top main window.
# Usage: activation.sh <path of PLMO>

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -ge 1 && -x "$1" ]] || e2e_fail "usage: $0 <PLMO>"
e2e_start_x
e2e_copy_app "$1"

readonly TREE="85 79"        # btn01
readonly NAME_FIELD="150 33" # edtNAME
readonly ON_TOP="60 338"     # chTopmost
readonly SETTING="27 333"    # btnSetting
readonly CANCEL="102 339"    # btnCancel of the settings dialog

active()
{
    xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*' | head -n 1
}

is_active() # window id (decimal, as xdotool prints it)
{
    [[ "$(($(active)))" == "$1" ]]
}

# Gives the other program the focus, with the pointer on it (outside our windows).
activate_other()
{
    xdotool mousemove --window "$other" 20 20 click 1
    e2e_wait_until 10 is_active "$other" || e2e_fail "could not activate the other window"
}

# Stacking order from the window manager, bottom first: true when $1 lies above $2.
above()
{
    local order
    order=$(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*' | while read -r w; do echo $((w)); done)
    local i=0 a=-1 b=-1
    for w in $order; do
        [[ "$w" == "$1" ]] && a=$i
        [[ "$w" == "$2" ]] && b=$i
        i=$((i + 1))
    done
    ((a > b && b >= 0))
}

e2e_start_main
main=$E2E_MAIN
e2e_spawn xmessage -geometry +0+0 -name other "another program"
e2e_wait_until 20 e2e_found --onlyvisible --class '^Xmessage$' || e2e_fail "xmessage did not appear"
other=$(e2e_search --onlyvisible --class '^Xmessage$' | head -n 1)
sleep 0.5

# The name field holds the main window's keyboard focus.
# shellcheck disable=SC2086
xdotool mousemove --window "$main" $NAME_FIELD click 1
xdotool key --clearmodifiers ctrl+a BackSpace

# Stay-on-top on: entering a tree button brings the main window forward, keys go to the field.
activate_other
# shellcheck disable=SC2086
xdotool mousemove --window "$main" $TREE
e2e_wait_until 10 is_active "$main" || e2e_fail "the main window did not become active (active: $(active))"
xdotool type --delay 30 "Zed"

# Stay-on-top off: nothing happens.
# shellcheck disable=SC2086
xdotool mousemove --window "$main" $ON_TOP click 1
activate_other
# shellcheck disable=SC2086
xdotool mousemove --window "$main" $TREE
sleep 1
is_active "$other" || e2e_fail "with stay-on-top off the main window took the focus"
# shellcheck disable=SC2086
xdotool mousemove --window "$main" $ON_TOP click 1

# The settings dialog: the pointer on it activates nothing.
# shellcheck disable=SC2086
xdotool mousemove --window "$main" $SETTING click 1
e2e_wait_until 20 e2e_found --onlyvisible --name '^Settings$' || e2e_fail "the settings dialog did not open"
dialog=$(e2e_search --onlyvisible --name '^Settings$' | head -n 1)
activate_other
xdotool mousemove --window "$dialog" 100 150
sleep 1
is_active "$other" || e2e_fail "entering the settings dialog activated a window (active: $(active))"
# shellcheck disable=SC2086
xdotool mousemove --window "$dialog" $CANCEL click 1
e2e_wait_until 20 e2e_gone --onlyvisible --name '^Settings$' || e2e_fail "the settings dialog did not close"

# The text typed after the activation landed in the name field.
e2e_close_main
grep -q $'^NAME=Zed\r$' "$E2E_SETTINGS" || e2e_fail "the typed name did not land in the name field: $(cat -A "$E2E_SETTINGS")"

# An error at close: the settings file cannot be written; its box stands above the main window.
e2e_start_main
main=$E2E_MAIN
rm -f "$E2E_SETTINGS"
mkdir "$E2E_SETTINGS"
wmctrl -c "[PLMO] Pellimo by Vaskorin" || e2e_fail "wmctrl could not close the window"
e2e_wait_until 20 e2e_found --onlyvisible --name '^Pellimo$' || e2e_fail "no error box at close"
box=$(e2e_search --onlyvisible --name '^Pellimo$' | head -n 1)
sleep 0.5
above "$box" "$main" || e2e_fail "the error box lies below the main window"
xdotool windowactivate --sync "$box" key Return
e2e_wait_exit "$APP_PID" 30 || e2e_fail "the program did not end after the error box"
rmdir "$E2E_SETTINGS"
e2e_log "ok"
