#!/usr/bin/env bash
# The real program where starting and ending go wrong: a folder name that is not UTF-8, temporary
# files a killed save left, a FIFO in place of the settings file, the end signals, and the X
# server going away. Each start must save what a close saves, or say why in the error box.
source "$(dirname "$0")/lib.sh"

e2e_start_x
e2e_copy_app "$1"

ERROR_BOX='^Pellimo$'

start_app()
{
    e2e_spawn "$E2E_APP"
    APP_PID=$E2E_LAST_PID
}

wait_main()
{
    wid=$(e2e_wait_window TForm1) || e2e_fail "main window did not appear ($1)"
    sleep 0.5
}

type_name()
{
    xdotool mousemove --window "$wid" 160 33 click 1
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$1"
    sleep 0.3
}

close_app()
{
    wmctrl -c "[PLMO] Pellimo by Vaskorin" || e2e_fail "wmctrl could not close the window"
}

expect_exit()
{
    e2e_wait_exit "$APP_PID" 30 || e2e_fail "the program did not end ($2)"
    [[ "$E2E_EXIT_CODE" == "$1" ]] || e2e_fail "exit code $E2E_EXIT_CODE, expected $1 ($2)"
}

expect_name()
{
    grep -q $"^NAME=$1"$'\r$' "$2" || e2e_fail "name $1 not saved ($3): $(cat -A "$2" 2>&1)"
}

# Stale temporaries of ours go at the start; a symlink under our naming, fresh files and the
# user's own backups (six characters after the dot, like our old naming) stay.
touch "$E2E_TMP/other"
printf 'partial' >"$E2E_SETTINGS.PLMO-save-aB3xZ9"
printf 'mine' >"$E2E_SETTINGS.backup"
touch -d '1 hour ago' "$E2E_SETTINGS.PLMO-save-aB3xZ9" "$E2E_SETTINGS.backup"
ln -s "$E2E_TMP/other" "$E2E_SETTINGS.PLMO-save-Zz9yY8"
touch -h -d '1 hour ago' "$E2E_SETTINGS.PLMO-save-Zz9yY8"
start_app
wait_main "stale temporaries"
[[ ! -e "$E2E_SETTINGS.PLMO-save-aB3xZ9" ]] || e2e_fail "a stale temporary file was not removed at the start"
[[ -L "$E2E_SETTINGS.PLMO-save-Zz9yY8" && -e "$E2E_TMP/other" ]] || e2e_fail "a symlink under our naming was touched"
[[ "$(cat "$E2E_SETTINGS.backup")" == mine ]] || e2e_fail "the user's own backup file was removed"
rm -f "$E2E_SETTINGS.PLMO-save-Zz9yY8" "$E2E_SETTINGS.backup"

# SIGTERM is a close: the typed name is saved and the exit code is 0.
type_name Termed
kill -TERM "$APP_PID"
expect_exit 0 "SIGTERM"
expect_name Termed "$E2E_SETTINGS" "SIGTERM"

# SIGHUP with the modal selection dialog open: the dialog goes, the main window closes and saves.
start_app
wait_main "SIGHUP"
type_name Hungup
xdotool mousemove --window "$wid" 155 140 click 1
e2e_wait_window TForm2 10 >/dev/null || e2e_fail "selection dialog did not appear"
kill -HUP "$APP_PID"
expect_exit 0 "SIGHUP with a modal dialog"
expect_name Hungup "$E2E_SETTINGS" "SIGHUP"

# A folder whose name is not UTF-8: the settings go into that folder, nowhere else.
odd="$E2E_TMP/app/"$'\xff\xfe'
mkdir "$odd"
cp "$E2E_APP" "$odd/PLMO"
# Started from another folder: a lossy path would have put the file there.
e2e_spawn env -C "$E2E_TMP" "$odd/PLMO"
APP_PID=$E2E_LAST_PID
wait_main "folder name not UTF-8"
type_name Odd
close_app
expect_exit 0 "folder name not UTF-8"
expect_name Odd "$odd/PLMO_UserSettings.ini" "folder name not UTF-8"
[[ -z "$(find "$E2E_TMP" -maxdepth 2 -name '_UserSettings.ini')" ]] || e2e_fail "a settings file landed outside the program's folder"

# A FIFO in place of the settings file: the error box comes at once, the window after it, and
# the close refuses to write into the FIFO.
rm -f "$E2E_SETTINGS"
mkfifo "$E2E_SETTINGS"
start_app
e2e_wait_until 2 e2e_found --onlyvisible --name "$ERROR_BOX" ||
    e2e_fail "no error box within 2 s with a FIFO as the settings file"
e2e_dismiss_box "$ERROR_BOX"
# The selection dialog reads the file too, and says so in a second box.
e2e_wait_until 5 e2e_found --onlyvisible --name "$ERROR_BOX" || e2e_fail "no second error box"
e2e_dismiss_box "$ERROR_BOX"
wait_main "FIFO"
close_app
e2e_wait_until 5 e2e_found --onlyvisible --name "$ERROR_BOX" || e2e_fail "no error box for the refused save"
e2e_dismiss_box "$ERROR_BOX"
expect_exit 0 "FIFO"
[[ -p "$E2E_SETTINGS" ]] || e2e_fail "the FIFO was replaced"
rm -f "$E2E_SETTINGS"

# The X server goes away under a running program: the name typed is saved all the same.
start_app
wait_main "X server ends"
type_name Lastword
kill -TERM "$E2E_XVFB_PID"
wait "$E2E_XVFB_PID" 2>/dev/null
E2E_XVFB_PID=""
e2e_wait_exit "$APP_PID" 30 || e2e_fail "the program did not end with its X server"
expect_name Lastword "$E2E_SETTINGS" "X server ends"
e2e_log "ok"
