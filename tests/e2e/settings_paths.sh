#!/usr/bin/env bash
# Where the real program's settings go when the ground moves under it: the executable renamed or
# replaced while it runs, its folder deleted before the close, a file saved as UTF-16 by Notepad,
# too few file descriptors, and a program in a read-only folder with its settings beside it.
# Usage: settings_paths.sh <path of PLMO>

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -ge 1 && -x "$1" ]] || e2e_fail "usage: $0 <PLMO>"
e2e_start_x
e2e_copy_app "$1"
export HOME="$E2E_TMP/home"
unset XDG_CONFIG_HOME
mkdir -p "$HOME"
readonly USER_FILE="$HOME/.config/pellimo/PLMO_UserSettings.ini"
readonly ERROR_BOX='^Pellimo$'

type_name()
{
    e2e_click "$E2E_MAIN" 160 33
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$1"
    sleep 0.3
}

expect_name() # name file why
{
    grep -q $"^NAME=$1"$'\r$' "$2" || e2e_fail "name $1 not in $2 ($3): $(cat -A "$2" 2>&1)"
}

# Renamed, then replaced by a rename (an upgrade) while running: the close saves into the file of the start.
for change in rename replace; do
    e2e_start_main
    type_name "Kept$change"
    if [[ $change == rename ]]; then
        mv "$E2E_APP" "$E2E_APP.old"
    else
        cp "$E2E_APP" "$E2E_APP.new" && mv -f "$E2E_APP.new" "$E2E_APP"
    fi
    e2e_close_main
    expect_name "Kept$change" "$E2E_SETTINGS" "executable ${change}d while running"
    [[ $change != rename ]] || mv "$E2E_APP.old" "$E2E_APP"
done
strays=$(find "$E2E_TMP/app" "$HOME" -name '*_UserSettings.ini' ! -path "$E2E_SETTINGS")
[[ -z "$strays" ]] || e2e_fail "settings saved elsewhere: $strays"

# The folder deleted before the close: an error box, and nothing written anywhere else.
mkdir "$E2E_TMP/doomed"
cp "$E2E_APP" "$E2E_TMP/doomed/PLMO"
app="$E2E_APP"
E2E_APP="$E2E_TMP/doomed/PLMO"
e2e_start_main
rm -rf "$E2E_TMP/doomed"
wmctrl -c "[PLMO] Pellimo by Vaskorin" || e2e_fail "wmctrl could not close the window"
e2e_wait_until 10 e2e_found --onlyvisible --name "$ERROR_BOX" || e2e_fail "no error box for the folder that is gone"
e2e_dismiss_box "$ERROR_BOX"
e2e_wait_exit "$APP_PID" 30 || e2e_fail "the program did not end after the box"
[[ ! -e "$HOME/.config" ]] || e2e_fail "the settings went to the user's folder instead"
E2E_APP="$app"

# Saved as UTF-16 by Notepad: read, then written back as UTF-8 with every section.
printf '[System]\r\nNAME=Notepad\r\n[Other]\r\nk=v\r\n' | iconv -t UTF-16 >"$E2E_SETTINGS"
e2e_start_main
e2e_close_main
printf '\xef\xbb\xbf' | cmp -s -n 3 - "$E2E_SETTINGS" || e2e_fail "not written back as UTF-8"
expect_name Notepad "$E2E_SETTINGS" "UTF-16 file"
grep -q $'^k=v\r$' "$E2E_SETTINGS" || e2e_fail "the other section of the UTF-16 file was lost"

# Near the descriptor limit (ulimit -n) at a failed close: not a box that is never drawn and never
# answers, but the failure on standard error and the end of the program. Two descriptors are left
# free, which a save would get by with (the sanitizer needs them too); the folder goes, so it fails.
mkdir "$E2E_TMP/doomed"
cp "$E2E_APP" "$E2E_TMP/doomed/PLMO"
# shellcheck disable=SC2016 # expanded by the inner shell
e2e_spawn bash -c 'exec "$0" 2>"$1"' "$E2E_TMP/doomed/PLMO" "$E2E_TMP/fd.err"
APP_PID=$E2E_LAST_PID
E2E_MAIN=$(e2e_wait_window TForm1) || e2e_fail "main window did not appear (descriptors)"
sleep 0.5
limit=0
while [[ -e /proc/$APP_PID/fd/$limit ]]; do limit=$((limit + 1)); done
prlimit --pid "$APP_PID" --nofile="$((limit + 2)):$((limit + 2))" || e2e_fail "prlimit failed"
rm -rf "$E2E_TMP/doomed"
wmctrl -c "[PLMO] Pellimo by Vaskorin" || e2e_fail "wmctrl could not close the window"
e2e_wait_exit "$APP_PID" 30 || e2e_fail "the program hangs near the descriptor limit"
[[ "$E2E_EXIT_CODE" == 1 ]] || e2e_fail "exit code $E2E_EXIT_CODE near the descriptor limit, expected 1"
grep -q "^PLMO: .*does not exist (any more)" "$E2E_TMP/fd.err" || e2e_fail "stderr: $(cat "$E2E_TMP/fd.err")"

# A read-only folder (a bind mount: root writes through permission bits) with the settings beside
# the program: the user's file starts from them, says so once, and keeps them from then on.
if [[ $EUID -eq 0 ]]; then
    ro="$E2E_TMP/readonly"
    mkdir "$ro"
    cp "$E2E_APP" "$ro/PLMO"
    printf '[System]\r\nNAME=Beside\r\n[Other]\r\nk=v\r\n' >"$ro/PLMO_UserSettings.ini"
    if ! mount --bind "$ro" "$ro" || ! mount -o remount,ro,bind "$ro"; then
        e2e_fail "cannot make a read-only bind mount"
    fi
    trap 'umount "$ro" 2>/dev/null; e2e_cleanup' EXIT
    E2E_APP="$ro/PLMO"
    for run in 1 2; do
        # shellcheck disable=SC2016 # expanded by the inner shell
        e2e_spawn bash -c 'exec "$0" 2>>"$1"' "$E2E_APP" "$E2E_TMP/stderr"
        APP_PID=$E2E_LAST_PID
        E2E_MAIN=$(e2e_wait_window TForm1) || e2e_fail "main window did not appear (read-only folder)"
        sleep 0.5
        e2e_close_main
        expect_name Beside "$USER_FILE" "read-only folder, start $run"
    done
    grep -q $'^k=v\r$' "$USER_FILE" || e2e_fail "the other section was not taken over"
    [[ $(grep -c 'taken over' "$E2E_TMP/stderr") == 1 ]] || e2e_fail "stderr: $(cat "$E2E_TMP/stderr")"
    umount "$ro"
    E2E_APP="$app"
else
    e2e_log "not root: the read-only bind mount case was NOT run"
fi

e2e_log "ok"
