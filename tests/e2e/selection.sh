#!/usr/bin/env bash
# The real program: a tree click opens the selection dialog, a virtue and its vice draw their
# pair line on the map (read back from screenshots), the tree shows the option's name over its
# label, "Close" changes nothing, cancel takes the line away, and Re-Start and Clear clear the board.
# Usage: selection.sh <path of PLMO>
# E2E_SHOTS=<folder> keeps the screenshot with the pair line for a look.

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -ge 1 && -x "$1" ]] || e2e_fail "usage: $0 <PLMO>"
e2e_start_x
e2e_copy_app "$1"
e2e_spawn "$E2E_APP"
main=$(e2e_wait_window TForm1) || e2e_fail "main window did not appear"

# Centres of the buttons, in client coordinates of their windows (the layouts' pixels).
readonly TREE3="197 90"   # btn03, "U１"
readonly TREE5="272 138"  # btn05, "R４"
readonly TREE12="197 269" # btn12, "D４"
readonly COMPAS="37 21"   # BitBtn01
readonly DESPISE="37 61"  # BitBtn09
readonly CANCEL="189 211" # BitBtn17
readonly CLOSE="265 211"  # BitBtn18
readonly RESTART="279 23" # btnAllClear
readonly CLEAR="266 333"  # btnBtnClear
# Inside the tree buttons, off their captions: their look changes when they get an option.
readonly INSIDE3="182 104" INSIDE12="182 283"
readonly GOLD="#FFD700" # the Compas./Despise pair colour
readonly UNDERLAY="#F8F8F8"
# The line from tree 3 to tree 12 runs down overlay column 195, window column 197, and its
# light edges are the columns 194 and 199; between the two buttons (window rows 110..165)
# nothing lies over it.
readonly LINE_Y=135
readonly PAIR_LINE="$GOLD $UNDERLAY $UNDERLAY"

choose() # "x y" of the tree, "x y" of the dialog button
{
    # shellcheck disable=SC2086
    e2e_choose "$main" $1 $2
}

# A screenshot in $E2E_TMP/last.png and the main window's client origin on it in OX, OY.
snap()
{
    import -window root "$E2E_TMP/last.png" || e2e_fail "no screenshot"
    read -r OX OY < <(e2e_client_origin "$main")
}

px() # x y in the main window: #RRGGBB from the last screenshot
{
    e2e_pixel "$E2E_TMP/last.png" $((OX + $1)) $((OY + $2))
}

# Dark (text) pixels in a rectangle of the main window on the last screenshot.
dark_pixels() # x y w h
{
    convert "$E2E_TMP/last.png" -crop "$3x$4+$((OX + $1))+$((OY + $2))" -colorspace Gray -threshold 40% \
        -format '%[fx:round(w*h*(1-mean))]' info:
}

# Tree 3 (177, 70): the rows 4..10 of the button lie above a one-line caption ("U１") and hold
# the first line of a two-line one ("Compas." over "U１").
name_line_of_tree3()
{
    dark_pixels 180 74 34 7
}

line_now()
{
    echo "$(px 197 $LINE_Y) $(px 194 $LINE_Y) $(px 199 $LINE_Y)"
}

# Repaints reach the screen a little after the dialog closes: poll, with a bound against hangs.
await_line() # expected message
{
    local deadline=$((SECONDS + 15)) got
    while :; do
        snap
        got=$(line_now)
        [[ "$got" == "$1" ]] && return 0
        ((SECONDS < deadline)) || e2e_fail "$2 (pixels: $got)"
        sleep 0.2
    done
}

await_change() # "x y" old-colour message
{
    local deadline=$((SECONDS + 15))
    while :; do
        snap
        # shellcheck disable=SC2086
        [[ "$(px $1)" != "$2" ]] && return 0
        ((SECONDS < deadline)) || e2e_fail "$3"
        sleep 0.2
    done
}

await_px() # "x y" colour message
{
    local deadline=$((SECONDS + 15))
    while :; do
        snap
        # shellcheck disable=SC2086
        [[ "$(px $1)" == "$2" ]] && return 0
        ((SECONDS < deadline)) || e2e_fail "$3"
        sleep 0.2
    done
}

# The empty board, once the map is on the screen (two equal screenshots in a row).
empty=""
for _ in $(seq 1 75); do
    snap
    now="$(line_now)"
    if [[ "$now" == "$empty" && "$now" != *"#000000"* ]]; then
        break
    fi
    empty="$now"
    sleep 0.2
done
e2e_log "empty board: $empty"
[[ "$empty" != *"$GOLD"* && "$empty" != *"$UNDERLAY"* ]] || e2e_fail "a line before any choice: $empty"
# shellcheck disable=SC2086
tree3_empty=$(px $INSIDE3)
# shellcheck disable=SC2086
tree12_empty=$(px $INSIDE12)

# A virtue alone: its tree takes the pair's look, but no line is drawn.
tree3_ink=$(name_line_of_tree3)
((tree3_ink == 0)) || e2e_fail "ink above the label of the empty tree 3: $tree3_ink pixels"
choose "$TREE3" "$COMPAS"
await_change "$INSIDE3" "$tree3_empty" "tree 3 did not change its look after Compas."
tree3_ink=$(name_line_of_tree3)
e2e_log "tree 3 name line: $tree3_ink dark pixels"
((tree3_ink > 10)) || e2e_fail "tree 3 does not show the option's name over its label ($tree3_ink dark pixels)"
[[ "$(line_now)" == "$empty" ]] || e2e_fail "a line with only the virtue chosen: $(line_now)"

# Its vice: the gold line with its light edges.
choose "$TREE12" "$DESPISE"
await_line "$PAIR_LINE" "no gold pair line after Despise"
[[ -z "${E2E_SHOTS:-}" ]] || cp "$E2E_TMP/last.png" "$E2E_SHOTS/selection-pair.png"

# "Close" without a choice changes nothing.
choose "$TREE5" "$CLOSE"
snap
[[ "$(line_now)" == "$PAIR_LINE" ]] || e2e_fail "Close changed the map: $(line_now)"

# Cancel on the vice tree takes the line away.
choose "$TREE12" "$CANCEL"
await_line "$empty" "the line survived the cancel"

# Chosen again, then Re-Start: the board is empty again.
choose "$TREE12" "$DESPISE"
await_line "$PAIR_LINE" "the line did not come back"
# shellcheck disable=SC2086
e2e_click "$main" $RESTART
await_line "$empty" "the line survived Re-Start"
await_px "$INSIDE12" "$tree12_empty" "tree 12 kept its look after Re-Start"

# The virtue went too: its vice alone draws nothing now.
choose "$TREE12" "$DESPISE"
await_change "$INSIDE12" "$tree12_empty" "tree 12 did not change its look after Despise"
[[ "$(line_now)" == "$empty" ]] || e2e_fail "Re-Start left the virtue on its tree: $(line_now)"

# The virtue back, then Clear: line and looks go, as with Re-Start.
choose "$TREE3" "$COMPAS"
await_line "$PAIR_LINE" "no pair line before Clear"
# shellcheck disable=SC2086
e2e_click "$main" $CLEAR
await_line "$empty" "the line survived Clear"
await_px "$INSIDE3" "$tree3_empty" "tree 3 kept its look after Clear"
((tree3_ink = $(name_line_of_tree3), tree3_ink == 0)) || e2e_fail "tree 3 kept its caption after Clear"

e2e_log "ok"
