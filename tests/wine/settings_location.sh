#!/usr/bin/env bash
# PLMO.exe in a folder the user may not write (a read-only bind mount: wine lets root write
# everywhere else): no error box at the close, the settings in the profile's
# %APPDATA%\Pellimo\PLMO.exe_UserSettings.ini, taken over from the file beside the program at the
# first start, and read from the profile after a restart.
# Usage: settings_location.sh <folder with PLMO.exe and wineprobe.exe>
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $EUID -eq 0 ]] || {
    echo "wine_settings_location: a read-only bind mount needs root; NOT run"
    exit 0
}
e2e_start_x
wine_copy_app
ro="$E2E_TMP/app"
printf '\xef\xbb\xbf[System]\r\nNAME=Beside\r\n[Other]\r\nk=v\r\n' >"$E2E_SETTINGS"
profile_file()
{
    find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/Pellimo/PLMO.exe_UserSettings.ini' 2>/dev/null
}
# The prefix is shared with the other wine tests: leave no profile file behind for them.
rm -f "$(profile_file)"
if ! mount --bind "$ro" "$ro" || ! mount -o remount,ro,bind "$ro"; then
    e2e_fail "cannot make a read-only bind mount"
fi
trap 'umount "$ro" 2>/dev/null; rm -f "$(profile_file)"; wine_cleanup' EXIT

close_without_box()
{
    wmctrl -c "$CAPTION" || e2e_fail "wmctrl could not close the window"
    e2e_wait_exit "$APP_PID" 60 || {
        e2e_found --onlyvisible --name '^Pellimo$' && e2e_fail "an error box at the close"
        e2e_fail "PLMO.exe did not end after its window was closed"
    }
    [[ "$E2E_EXIT_CODE" == 0 ]] || e2e_fail "PLMO.exe ended with $E2E_EXIT_CODE"
}

e2e_log "first start: the file beside the program is taken over"
wine_start_app
close_without_box
file=$(profile_file)
[[ -n "$file" ]] || e2e_fail "no PLMO.exe_UserSettings.ini under %APPDATA%\\Pellimo"
grep -q $'^NAME=Beside\r$' "$file" || e2e_fail "the name was not taken over: $(cat -A "$file")"
grep -q $'^k=v\r$' "$file" || e2e_fail "the other section was not taken over"

e2e_log "restart: the profile's file is the one read"
sed -i 's/^NAME=Beside\r$/NAME=Profile\r/' "$file"
wine_start_app
close_without_box
grep -q $'^NAME=Profile\r$' "$file" || e2e_fail "the name did not come back from the profile: $(cat -A "$file")"
[[ "$(cat "$E2E_SETTINGS")" == *NAME=Beside* ]] || e2e_fail "the file beside the program changed"

echo "wine_settings_location: every check passed"
