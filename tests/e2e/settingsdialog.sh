#!/usr/bin/env bash
# The settings dialog with the real program: it opens centred over the main window by both
# frames, OK with "Translucent color" swaps the map at once and writes the five display keys,
# and after a restart the map and the file keep the choice; Esc leaves the dialog open and
# Cancel writes nothing. The default positions count the frame as well.
# Usage: settingsdialog.sh <path of PLMO>

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -ge 1 && -x "$1" ]] || e2e_fail "usage: $0 <PLMO>"
e2e_start_x
e2e_copy_app "$1"

readonly SETTING="27 333"  # btnSetting
readonly BG_LIST="122 50"  # cbiSettingsBtnBGColor
readonly OK="169 339"      # btnOK
readonly CANCEL="102 339"  # btnCancel
readonly BAND="60 322"     # the map's light band under "Always" (dark scheme only)

start_app()
{
    e2e_start_main
    main=$E2E_MAIN
}

pixel() # window "x y"
{
    local x y
    read -r x y <<<"$2"
    import -window "$1" png:- 2>/dev/null | convert - -format "%[hex:p{$x,$y}]" info:
}

open_dialog()
{
    # shellcheck disable=SC2086
    e2e_click "$main" $SETTING
    e2e_wait_until 20 e2e_found --onlyvisible --name '^Settings$' || e2e_fail "the settings dialog did not open"
    dialog=$(e2e_search --onlyvisible --name '^Settings$' | head -n 1)
    sleep 0.5
}

expect_centred()
{
    local ml mt mw mh dl dt dw dh
    read -r ml mt mw mh <<<"$(e2e_outer "$main")"
    read -r dl dt dw dh <<<"$(e2e_outer "$dialog")"
    [[ "$dl $dt" == "$((ml + (mw - dw) / 2)) $((mt + (mh - dh) / 2))" ]] ||
        e2e_fail "dialog at $dl $dt ($dw x $dh), main window at $ml $mt ($mw x $mh)"
}

# First start: the defaults centre both windows by their outer sizes on 1280 x 1024.
start_app
read -r _ _ mw mh <<<"$(e2e_outer "$main")"
dark=$(pixel "$main" "$BAND")
open_dialog
expect_centred
# Choose "Translucent color" and confirm.
# shellcheck disable=SC2086
e2e_click "$dialog" $BG_LIST
sleep 0.5
xdotool key Down Return
sleep 0.3
# shellcheck disable=SC2086
e2e_click "$dialog" $OK
e2e_wait_until 20 e2e_gone --onlyvisible --name '^Settings$' || e2e_fail "OK did not close the dialog"
sleep 0.3
light=$(pixel "$main" "$BAND")
[[ "$light" != "$dark" ]] || e2e_fail "the map did not change after OK ($dark)"
keys=$(sed 's/\r$//; 1s/^\xef\xbb\xbf//' "$E2E_SETTINGS" | tr '\n' ' ')
[[ "$keys" == "[System] iSettingsBtnBGColor=1 iSettingsTreeBtnTxtColor=0 iSettingsTreeBtnTxtBold=0 iSettingsTokuBtnTxtColor=0 iSettingsTokuBtnTxtBold=0  " ]] ||
    e2e_fail "unexpected file after OK: '$keys'"
e2e_close_main
grep -q $"^Form1Left2=$(((1280 - mw) / 2))"$'\r$' "$E2E_SETTINGS" || e2e_fail "main window not centred by its outer width $mw"
grep -q $"^Form1Top2=$(((1024 - mh) / 2))"$'\r$' "$E2E_SETTINGS" || e2e_fail "main window not centred by its outer height $mh"

# After a restart the choice stands; Esc leaves the dialog open and Cancel writes nothing.
saved=$(cat "$E2E_SETTINGS")
start_app
[[ "$(pixel "$main" "$BAND")" == "$light" ]] || e2e_fail "the map did not keep the choice across a restart"
open_dialog
expect_centred
xdotool key Escape
sleep 0.5
e2e_found --onlyvisible --name '^Settings$' || e2e_fail "Esc closed the dialog"
# shellcheck disable=SC2086
e2e_click "$dialog" $CANCEL
e2e_wait_until 20 e2e_gone --onlyvisible --name '^Settings$' || e2e_fail "Cancel did not close the dialog"
[[ "$(cat "$E2E_SETTINGS")" == "$saved" ]] || e2e_fail "Cancel wrote the file"
e2e_close_main
e2e_log "ok"
