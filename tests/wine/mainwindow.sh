#!/usr/bin/env bash
# PLMO.exe under wine: the main window with its caption, its 304 x 348 client area and the
# class "TForm1" that a second instance looks for; the settings file is the executable's full
# path + "_UserSettings.ini", written at close in the same bytes as on Linux; a settings file
# that cannot be read or written shows the error box titled "Pellimo" and the program goes on.
# Usage: mainwindow.sh <folder with PLMO.exe and wineprobe.exe>
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_start_x
wine_copy_app

e2e_log "first start, no settings file"
wine_start_app
[[ "$(probe client "$CAPTION")" == 304x348 ]] || e2e_fail "client area is $(probe client "$CAPTION"), not 304x348"
[[ "$(probe findclass TForm1)" == 1 ]] || e2e_fail "no top-level window of class TForm1"
[[ "$(probe topmost "$CAPTION")" == 1 ]] || e2e_fail "stay-on-top is not on by default"
[[ ! -e "$E2E_SETTINGS" ]] || e2e_fail "settings file written before the close"
if [[ -n "${E2E_SHOTS:-}" ]]; then
    mkdir -p "$E2E_SHOTS" && import -window root "$E2E_SHOTS/wine-main.png"
fi
wine_close_app

[[ -f "$E2E_SETTINGS" ]] || e2e_fail "no PLMO.exe_UserSettings.ini beside PLMO.exe after the close"
pattern=$'^\xef\xbb\xbf\\[System\\]\r\nForm1Top2=-?[0-9]+\r\nForm1Left2=-?[0-9]+\r\nNAME=NoName\r\nForm2Top=-?[0-9]+\r\nForm2Left=-?[0-9]+\r\nchTopmost=1\r\n\r\n$'
content=$(cat "$E2E_SETTINGS"; echo x)
content=${content%x}
[[ "$content" =~ $pattern ]] || e2e_fail "settings file bytes: $(od -c "$E2E_SETTINGS" | head -20)"
# Centred on the 1280 x 1024 screen (openbox has no panels), the work area wine reports.
grep -q $'^Form1Left2=48[0-9]\r$' "$E2E_SETTINGS" || e2e_fail "main window not centred: $(cat -A "$E2E_SETTINGS")"

e2e_log "second start with a hand-edited file"
printf '\xef\xbb\xbf; mine\r\n[system]\r\nform1top2 = 100\r\nForm1Left2=0x78\r\nNAME=  Lumi  \r\nchTopmost=0\r\n[Other]\r\nkeep=1\r\n' >"$E2E_SETTINGS"
wine_start_app
[[ "$(probe topmost "$CAPTION")" == 0 ]] || e2e_fail "chTopmost=0 left the window in the top band"
xprop -id "$WID" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && e2e_fail "X window above others with chTopmost=0"
wine_close_app
expected_start=$'\xef\xbb\xbf[system]\r\nForm1Top2=100\r\nForm1Left2=120\r\nNAME=Lumi\r\nchTopmost=0\r\nForm2Top='
content=$(cat "$E2E_SETTINGS"; echo x)
content=${content%x}
[[ "$content" == "$expected_start"* ]] || e2e_fail "rewritten file: $(cat -A "$E2E_SETTINGS")"
[[ "$content" == *$'\r\n\r\n[Other]\r\nkeep=1\r\n\r\n' ]] || e2e_fail "other section lost: $(cat -A "$E2E_SETTINGS")"

e2e_log "settings file that cannot be read or written"
# Presses OK on every error box until the main window shows without one; prints how many.
dismiss_boxes()
{
    local boxes=0 deadline=$((SECONDS + 120)) box
    while ((SECONDS < deadline)); do
        box=$(e2e_search --onlyvisible --name '^Pellimo$' | head -n 1)
        if [[ -n "$box" ]]; then
            boxes=$((boxes + 1))
            xdotool windowactivate --sync "$box" key --clearmodifiers Return 2>/dev/null
            e2e_wait_until 10 e2e_gone --onlyvisible --name '^Pellimo$'
        elif (($# == 0)) && e2e_found --onlyvisible --name "$CAPTION_RE"; then
            break
        elif (($# > 0)) && _e2e_dead "$1"; then
            break
        fi
        sleep 0.2
    done
    echo "$boxes"
}
rm -f "$E2E_SETTINGS"
mkdir "$E2E_SETTINGS"
e2e_spawn wine "$E2E_APP"
APP_PID="$E2E_LAST_PID"
boxes=$(dismiss_boxes)
((boxes >= 1)) || e2e_fail "no error box titled Pellimo for an unreadable settings file"
WID=$(wine_wait_name "$CAPTION_RE" 60) || e2e_fail "no main window after the error box"
wmctrl -c "$CAPTION" || e2e_fail "wmctrl could not close the window"
boxes=$(dismiss_boxes "$APP_PID")
((boxes >= 1)) || e2e_fail "no error box titled Pellimo for a failed save"
e2e_wait_exit "$APP_PID" 60 || e2e_fail "PLMO.exe did not end after a failed save"
[[ "$E2E_EXIT_CODE" == 0 ]] || e2e_fail "PLMO.exe ended with $E2E_EXIT_CODE"
[[ -d "$E2E_SETTINGS" ]] || e2e_fail "the folder in the settings file's place was replaced"

echo "wine_mainwindow: every check passed"
