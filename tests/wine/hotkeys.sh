#!/usr/bin/env bash
# PLMO.exe under wine with keys in the [Hotkeys] section: RegisterHotKey for each (MOD_NOREPEAT,
# no window, so WM_HOTKEY comes through the thread's queue), WM_HOTKEY driving Start/Stop and
# Copy result while another program has the foreground, and UnregisterHotKey for each at exit.
# Usage: hotkeys.sh <folder with PLMO.exe and wineprobe.exe>
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly OTHER="Another program"
# Ids 0x5000 + action; MOD_NOREPEAT | MOD_SHIFT | MOD_CONTROL; VK_F9, VK_F10.
readonly START_STOP="00000000,00005000,00004006,00000078"
readonly COPY_RESULT="00000000,00005001,00004006,00000079"

e2e_start_x
wine_copy_app
printf '\xef\xbb\xbf[System]\r\nNAME=Tester\r\n\r\n[Hotkeys]\r\nStartStop=Ctrl+Shift+F9\r\nCopyResult=Ctrl+Shift+F10\r\n\r\n' \
    >"$E2E_SETTINGS"
wine_start_app --relay "RegisterHotKey;UnregisterHotKey"

registered() { grep -q "Call user32.RegisterHotKey($1)" "$E2E_TMP/relay.log"; }
e2e_wait_until 20 registered "$START_STOP" ||
    e2e_fail "Start/Stop not registered: $(grep HotKey "$E2E_TMP/relay.log")"
registered "$COPY_RESULT" || e2e_fail "Copy result not registered: $(grep HotKey "$E2E_TMP/relay.log")"
failed=$(grep -c 'Ret  user32.RegisterHotKey() retval=00000000' "$E2E_TMP/relay.log")
[[ "$failed" == 0 ]] || e2e_fail "$failed registrations failed"
[[ "$(grep -c 'Call user32.RegisterHotKey(' "$E2E_TMP/relay.log")" == 2 ]] || e2e_fail "not two registrations"

e2e_log "WM_HOTKEY drives Start/Stop and Copy result while another program has the foreground"
e2e_spawn wine "$E2E_TMP/app/wineprobe.exe" window "$OTHER"
other=$(wine_wait_name "^$OTHER\$" 60) || e2e_fail "the other program shows no window"
xdotool windowactivate "$other" 2>/dev/null
e2e_wait_until 20 probe_says "$OTHER" foreground || e2e_fail "could not give the foreground to another program"
xdotool key ctrl+shift+F9
sleep 2.2
xdotool key ctrl+shift+F9
sleep 0.5
xdotool key ctrl+shift+F10
clipboard_line() { xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null; }
has_line() { [[ "$(clipboard_line)" == "Tester's record『 00:0"[2-9]* ]]; }
e2e_wait_until 20 has_line || e2e_fail "no result line of 2 s or more on the clipboard: '$(clipboard_line)'"
[[ "$(probe foreground)" == "$OTHER" ]] || e2e_fail "the foreground moved to $(probe foreground)"

wine_close_app
for call in "${START_STOP%,*,*}" "${COPY_RESULT%,*,*}"; do
    grep -q "Call user32.UnregisterHotKey($call)" "$E2E_TMP/relay.log" ||
        e2e_fail "not released at exit: $call; $(grep HotKey "$E2E_TMP/relay.log")"
done
echo "wine_hotkeys: every check passed"
