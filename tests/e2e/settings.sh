#!/usr/bin/env bash
# The settings file with the real program: first start without a file, move the window,
# rename, close; the file's bytes; the next start brings position and name back.
source "$(dirname "$0")/lib.sh"

e2e_start_x
e2e_copy_app "$1"
[[ ! -e "$E2E_SETTINGS" ]] || e2e_fail "settings file exists before the first start"

start_app()
{
    e2e_start_main
    wid=$E2E_MAIN
}

frame_pos()
{
    # The window manager's frame: the stored position is the outer top-left corner.
    local frame
    frame=$(xwininfo -id "$wid" -frame 2>/dev/null | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
    local ex
    ex=$(xprop -id "$wid" _NET_FRAME_EXTENTS | sed -n 's/.*= \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\)/\1 \3/p')
    read -r x y <<<"$frame"
    read -r l t <<<"$ex"
    echo "$((x - ${l:-0})) $((y - ${t:-0}))"
}

# First start: defaults.
start_app
e2e_close_main
[[ -f "$E2E_SETTINGS" ]] || e2e_fail "no settings file after the first close"
printf '\xef\xbb\xbf' | cmp -s -n 3 - "$E2E_SETTINGS" || e2e_fail "no UTF-8 byte order mark"
grep -q $'\r$' "$E2E_SETTINGS" || e2e_fail "lines do not end with CR LF"
keys=$(sed 's/\r$//; 1s/^\xef\xbb\xbf//' "$E2E_SETTINGS" | cut -d= -f1 | tr '\n' ' ')
[[ "$keys" == "[System] Form1Top2 Form1Left2 NAME Form2Top Form2Left chTopmost  " ]] ||
    e2e_fail "unexpected key order: '$keys'"
grep -q $'^NAME=NoName\r$' "$E2E_SETTINGS" || e2e_fail "default name missing"
grep -q $'^chTopmost=1\r$' "$E2E_SETTINGS" || e2e_fail "stay-on-top should default to on"
# Centred on the 1280 x 1024 work area (no panels under openbox here).
grep -q $'^Form1Left2=48[0-9]\r$' "$E2E_SETTINGS" || e2e_fail "main window not centred: $(cat -A "$E2E_SETTINGS")"
grep -q $'^Form2Left=48[0-9]\r$' "$E2E_SETTINGS" || e2e_fail "dialog not centred"

# Second start: move, rename, close.
start_app
xdotool windowmove "$wid" 100 120
sleep 0.5
e2e_click "$wid" 160 33
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "Lumi"
sleep 0.3
read -r mx my <<<"$(frame_pos)"
e2e_close_main
grep -q $'^NAME=Lumi\r$' "$E2E_SETTINGS" || e2e_fail "name not saved: $(cat -A "$E2E_SETTINGS")"
grep -q $"^Form1Left2=${mx}"$'\r$' "$E2E_SETTINGS" || e2e_fail "left not saved (frame at $mx): $(cat -A "$E2E_SETTINGS")"
grep -q $"^Form1Top2=${my}"$'\r$' "$E2E_SETTINGS" || e2e_fail "top not saved (frame at $my)"
saved=$(cat "$E2E_SETTINGS")

# Third start: everything comes back; closing again writes the same bytes.
start_app
read -r x y <<<"$(frame_pos)"
[[ "$x $y" == "$mx $my" ]] || e2e_fail "position not restored: $x $y, expected $mx $my"
# Closed while minimised: the restored position is what gets saved.
xdotool windowminimize "$wid"
e2e_wait_until 10 wm_state_is "$wid" Iconic || e2e_fail "could not minimise the window"
e2e_close_main
[[ "$(cat "$E2E_SETTINGS")" == "$saved" ]] || e2e_fail "settings changed without a change: $(cat -A "$E2E_SETTINGS")"
e2e_log "ok"
