#!/usr/bin/env bash
# Takes the README screenshots from the real program: runs PLMO under its own Xvfb with openbox
# and writes three pictures into the output folder (docs/ by default):
#   board-empty.png      the main window with its frame, as it starts
#   board-recorded.png   the same after a few choices: three pair lines and one option on two
#                        trees, whose captions turn red
#   settings-dialog.png  the settings dialog open over the main window, the desktop around the
#                        two frames left transparent
#   tools/screenshot.sh [path/to/PLMO] [output folder]
set -uo pipefail # no -e: the shared cleanup trap must run every step
cd "$(dirname "$0")/.." || exit 1
plmo=${1:-build/release/PLMO}
outdir=${2:-docs}
[ -x "$plmo" ] || { echo "no program at $plmo (build it first: tools/dev.sh run)" >&2; exit 1; }
outdir=$(realpath -m "$outdir")
plmo=$(realpath "$plmo")

# shellcheck source=../tests/e2e/lib.sh
source tests/e2e/lib.sh

# Captures until two pictures in a row are equal: repaints reach the screen a little after the
# click that caused them. Usage: settled <output> <command that writes the picture to $1...>
settled()
{
    local out="$1" previous="$E2E_TMP/previous.png" attempt
    shift
    "$@" "$previous" || e2e_fail "no screenshot"
    for ((attempt = 0; attempt < 50; attempt++)); do
        sleep 0.3
        "$@" "$out" || e2e_fail "no screenshot"
        if [[ "$(compare -metric AE "$out" "$previous" null: 2>&1)" == 0 ]]; then
            # No time stamps in the file: the same picture gives the same bytes.
            mogrify -strip -define png:exclude-chunks=date,time "$out"
            return 0
        fi
        mv "$out" "$previous"
    done
    e2e_fail "the picture did not settle for $out"
}

frame_shot() # window output
{
    import -frame -window "$1" "$2" 2>/dev/null
}

# The outer rectangle of a window with its frame: "x y w h" on the screen.
outer_rect() # window
{
    local x y w h l r t b
    read -r x y <<<"$(e2e_client_origin "$1")"
    read -r w h < <(xwininfo -id "$1" | awk '/^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print w, h}')
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | grep -o '[0-9]\+, [0-9]\+, [0-9]\+, [0-9]\+' | tr -d ,)
    echo "$((x - ${l:-0})) $((y - ${t:-0})) $((w + ${l:-0} + ${r:-0})) $((h + ${t:-0} + ${b:-0}))"
}

# The two windows cut from the screen, everything outside their frames transparent.
two_windows_shot() # window window output
{
    local ax ay aw ah bx by bw bh
    read -r ax ay aw ah <<<"$(outer_rect "$1")"
    read -r bx by bw bh <<<"$(outer_rect "$2")"
    local x0=$((ax < bx ? ax : bx)) y0=$((ay < by ? ay : by))
    local x1=$((ax + aw > bx + bw ? ax + aw : bx + bw)) y1=$((ay + ah > by + bh ? ay + ah : by + bh))
    import -window root "$E2E_TMP/root.png" 2>/dev/null || return 1
    convert "$E2E_TMP/root.png" -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage \
        \( -size "$((x1 - x0))x$((y1 - y0))" xc:black -fill white \
        -draw "rectangle $((ax - x0)),$((ay - y0)) $((ax - x0 + aw - 1)),$((ay - y0 + ah - 1))" \
        -draw "rectangle $((bx - x0)),$((by - y0)) $((bx - x0 + bw - 1)),$((by - y0 + bh - 1))" \) \
        -alpha off -compose CopyOpacity -composite "$3"
}

e2e_start_x
e2e_copy_app "$plmo"
e2e_spawn "$E2E_APP"
wid=$(e2e_wait_window TForm1) || e2e_fail "main window did not appear"
mkdir -p "$outdir"
xdotool mousemove 0 0

settled "$outdir/board-empty.png" frame_shot "$wid"
echo "wrote $outdir/board-empty.png"

# Tree button centres and selection dialog buttons, in client pixels of their windows.
e2e_choose "$wid" 197 90 37 21   # U1 -> Compas.
e2e_choose "$wid" 197 269 37 61  # D4 -> Despise, its vice: a gold line
e2e_choose "$wid" 272 138 189 21 # R4 -> Honor
e2e_choose "$wid" 142 242 189 61 # D2 -> Shame: a second line
e2e_choose "$wid" 155 140 113 21 # U2 -> Honesty
e2e_choose "$wid" 77 175 113 61  # L2 -> Deceit: a third line
e2e_choose "$wid" 39 125 265 115 # L1 -> Valor
e2e_choose "$wid" 49 231 265 115 # L4 -> Valor again: both trees in conflict
xdotool mousemove 0 0
settled "$outdir/board-recorded.png" frame_shot "$wid"
echo "wrote $outdir/board-recorded.png"

e2e_click "$wid" 27 333 # Setting
e2e_wait_until 20 e2e_found --onlyvisible --name '^Settings$' || e2e_fail "the settings dialog did not open"
dialog=$(e2e_search --onlyvisible --name '^Settings$' | head -n 1)
xdotool mousemove 0 0
settled "$outdir/settings-dialog.png" two_windows_shot "$wid" "$dialog"
echo "wrote $outdir/settings-dialog.png"
