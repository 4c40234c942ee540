#!/usr/bin/env bash
# Stored window positions on a small 640 x 480 screen: positions out of reach (saved on a bigger
# screen, or the largest numbers) open the main window and the selection dialog centred as for a
# missing position, positions within reach, partly off the screen, stay as stored, and the close
# saves where the windows are.
# Usage: positions.sh <path of PLMO>

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -ge 1 && -x "$1" ]] || e2e_fail "usage: $0 <PLMO>"
E2E_SCREEN=640x480x24 e2e_start_x
e2e_copy_app "$1"

readonly TREE="85 79"    # btn01
readonly CLOSE="265 211" # BitBtn18 of the selection dialog

store() # form1-left form1-top form2-left form2-top
{
    printf '\xef\xbb\xbf[System]\r\nForm1Top2=%s\r\nForm1Left2=%s\r\nForm2Top=%s\r\nForm2Left=%s\r\n' \
        "$2" "$1" "$4" "$3" >"$E2E_SETTINGS"
}

# The position a window of this outer size gets when none is stored: centred on the screen.
centred() # width height
{
    echo "$(((640 - $1) / 2)) $(((480 - $2) / 2))"
}

at_place() # window "x y"
{
    local x y
    read -r x y _ <<<"$(e2e_outer "$1")"
    [[ "$x $y" == "$2" ]]
}

# Starts PLMO, checks where the main window and the selection dialog show, closes both and checks
# what the file says; an expected position "centred" is worked out from the window's outer size.
run() # name form1-left form1-top form2-left form2-top expected-form1 expected-form2
{
    e2e_log "$1"
    store "$2" "$3" "$4" "$5"
    e2e_start_main
    local main=$E2E_MAIN form1=$6 form2=$7 w h dialog
    read -r _ _ w h <<<"$(e2e_outer "$main")"
    [[ "$form1" != centred ]] || form1=$(centred "$w" "$h")
    e2e_wait_until 10 at_place "$main" "$form1" || e2e_fail "$1: main window at $(e2e_outer "$main"), expected $form1"

    # shellcheck disable=SC2086
    e2e_click "$main" $TREE
    e2e_wait_until 20 e2e_found --onlyvisible --name "$E2E_SELECTION_DIALOG" || e2e_fail "$1: no selection dialog"
    dialog=$(e2e_search --onlyvisible --name "$E2E_SELECTION_DIALOG" | head -n 1)
    read -r _ _ w h <<<"$(e2e_outer "$dialog")"
    [[ "$form2" != centred ]] || form2=$(centred "$w" "$h")
    e2e_wait_until 10 at_place "$dialog" "$form2" || e2e_fail "$1: dialog at $(e2e_outer "$dialog"), expected $form2"
    # shellcheck disable=SC2086
    e2e_click "$dialog" $CLOSE
    e2e_wait_until 20 e2e_gone --onlyvisible --name "$E2E_SELECTION_DIALOG" || e2e_fail "$1: the dialog did not close"

    e2e_close_main
    local saved
    saved=$(sed 's/\r$//; 1s/^\xef\xbb\xbf//' "$E2E_SETTINGS" | grep '^Form' | tr '\n' ' ')
    read -r x1 y1 <<<"$form1"
    read -r x2 y2 <<<"$form2"
    [[ "$saved" == "Form1Top2=$y1 Form1Left2=$x1 Form2Top=$y2 Form2Left=$x2 " ]] ||
        e2e_fail "$1: saved '$saved', expected the windows at $form1 and $form2"
}

run "saved on a bigger screen" 900 700 2000 -3000 centred centred
run "the largest numbers" 2147483647 -2147483647 -2147483648 2147483647 centred centred
run "within reach, partly off the screen" 500 100 -200 300 "500 100" "-200 300"

echo "e2e_positions: every check passed"
