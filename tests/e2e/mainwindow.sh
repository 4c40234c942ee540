#!/usr/bin/env bash
# The real program under a window manager: its main window is found by its caption alone, has a
# 304 x 348 client area and the class TForm1, and a screenshot of it shows the map and the buttons.
source "$(dirname "$0")/lib.sh"

e2e_start_x
e2e_copy_app "$1"
e2e_spawn "$E2E_APP"
caption='^\[PLMO\] Pellimo by Vaskorin$'
find_by_caption() { e2e_search --onlyvisible --name "$caption" | head -n 1; }
e2e_wait_until 30 e2e_found --onlyvisible --name "$caption" ||
    e2e_fail "no visible window with the caption \"[PLMO] Pellimo by Vaskorin\""
wid=$(find_by_caption)

read -r width height < <(xwininfo -id "$wid" | awk '/^ *Width:/{w=$2} /^ *Height:/{h=$2} END{print w, h}')
[[ "$width x $height" == "304 x 348" ]] || e2e_fail "client area is $width x $height, not 304 x 348"
xprop -id "$wid" WM_CLASS | grep -q '"TForm1"$' || e2e_fail "WM_CLASS is $(xprop -id "$wid" WM_CLASS)"

sleep 0.5 # let the first paint reach the screen
shot="$E2E_TMP/mainwindow.png"
import -window "$wid" "$shot" 2>/dev/null || e2e_fail "no screenshot"
[[ "$(identify -format '%w x %h' "$shot")" == "304 x 348" ]] || e2e_fail "screenshot is $(identify -format '%w x %h' "$shot")"
# The map brings hundreds of colours; a window that shows only its white background has a few.
colours=$(identify -format '%k' "$shot")
((colours > 500)) || e2e_fail "the screenshot has only $colours colours: the map is not drawn"
# Between the trees at the bottom left the map shows grass.
map=$(e2e_pixel "$shot" 120 300)
e2e_log "screenshot $shot: $colours colours, map pixel $map"
[[ "$map" =~ ^#([0-9A-F]{2})([0-9A-F]{2})([0-9A-F]{2})$ ]] || e2e_fail "unreadable pixel $map"
((16#${BASH_REMATCH[2]} > 16#${BASH_REMATCH[1]} + 20 && 16#${BASH_REMATCH[2]} > 16#${BASH_REMATCH[3]} + 20)) ||
    e2e_fail "the garden at (120, 300) is $map, not grass green"
if [[ -n "${PELLIMO_E2E_SHOT:-}" ]]; then
    cp "$shot" "$PELLIMO_E2E_SHOT"
fi
exit 0
