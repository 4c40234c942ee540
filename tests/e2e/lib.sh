#!/usr/bin/env bash
# Shared helpers for the end-to-end scripts that drive the real PLMO on a private X server.
# Source it:  source "$(dirname "$0")/lib.sh"
#
#   e2e_start_x [--no-wm]        own Xvfb on a free display (+ openbox), exports DISPLAY; the screen
#                                is 1280x1024x24 unless E2E_SCREEN says otherwise
#   e2e_stop_wm / e2e_start_wm   ends openbox (its windows go back to the root) / starts it again
#   e2e_copy_app <PLMO>          copies the program into a private folder: E2E_APP, E2E_SETTINGS
#   e2e_spawn <cmd...>           starts a background process that cleanup will kill; pid in E2E_LAST_PID
#   e2e_search <xdotool search args>  xdotool search, run again when a window vanished mid-walk
#   e2e_found <xdotool search args>   true when such a search finds a window
#   e2e_gone <xdotool search args>    true when it finds none
#   e2e_wait_window <class> [s]  waits for a window of that WM_CLASS class, prints its id
#   e2e_window_count <class>     number of windows of that class
#   wm_state_is <id> <state>     true when the window manager's WM_STATE is Normal / Iconic / ...
#   e2e_wait_until <s> <cmd...>  polls a command until it succeeds or the seconds run out
#   e2e_wait_exit <pid> [s]      waits for a spawned process to end; its status in E2E_EXIT_CODE
#   e2e_dismiss_box <name regex> answers the visible message box of that title with Return
#   e2e_start_main               starts the copied program, waits for its main window: APP_PID, E2E_MAIN
#   e2e_close_main               closes the main window with its close box; the program must end with 0
#   e2e_click <id> <x> <y>       left click at a point of a window's client area
#   e2e_client_origin <id>       prints where the window's client area starts on the screen: "x y"
#   e2e_outer <id>               prints the window's outer rectangle, its frame included: "x y w h"
#   e2e_pixel <png> <x> <y>      prints the pixel of a picture as #RRGGBB
#   e2e_choose <main> <tx> <ty> <bx> <by>  opens the selection dialog from the tree button at tx ty,
#                                clicks its button at bx by and waits until it has closed
#   e2e_fail <message>           reports and ends the script with status 1
#   e2e_cleanup                  kills everything started here (runs on exit by itself)
#
# Waits are generous upper bounds against hangs, not measurements.

# shellcheck disable=SC2034 # E2E_* results are read by the scripts that source this file
set -uo pipefail

E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/pellimo-e2e.XXXXXX")"
E2E_PIDS=()
E2E_XVFB_PID=""
E2E_WM_PID=""
E2E_LAST_PID=""
E2E_APP=""
E2E_SETTINGS=""
E2E_EXIT_CODE=""

# A private runtime folder: the single-instance lock of one test never meets another's.
export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
# A sanitizer build reports memory that system libraries keep until exit (D-Bus, fontconfig,
# Xlib) as leaks and fails the exit code; leaks in our own code are still reported.
E2E_TESTS_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export LSAN_OPTIONS="suppressions=$E2E_TESTS_DIR/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset WAYLAND_DISPLAY SESSION_MANAGER

e2e_log()
{
    echo "[e2e] $*" >&2
}

e2e_fail()
{
    echo "[e2e] FAIL: $*" >&2
    exit 1
}

e2e_cleanup()
{
    local pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid="${E2E_PIDS[i]}"
        kill -KILL "$pid" 2>/dev/null
    done
    for pid in "${E2E_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    if [[ -n "$E2E_XVFB_PID" ]]; then
        kill -TERM "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
    fi
    E2E_PIDS=()
    E2E_XVFB_PID=""
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

wm_state_is()
{
    xprop -id "$1" WM_STATE 2>/dev/null | grep -q "window state: $2"
}

e2e_wait_until()
{
    local seconds="$1"
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

e2e_spawn()
{
    "$@" &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}

_e2e_display_ready()
{
    [[ -s "$E2E_TMP/display" ]] && xdpyinfo -display ":$(cat "$E2E_TMP/display")" >/dev/null 2>&1
}

_e2e_wm_ready()
{
    local check
    check="$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -o '0x[0-9a-f]*')" || return 1
    # A window manager that has gone leaves the property behind; its check window goes with it.
    xprop -id "$check" _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1
}

e2e_start_wm()
{
    e2e_spawn openbox --sm-disable >>"$E2E_TMP/openbox.log" 2>&1
    E2E_WM_PID="$E2E_LAST_PID"
    e2e_wait_until 30 _e2e_wm_ready || e2e_fail "openbox did not start: $(cat "$E2E_TMP/openbox.log")"
}

e2e_start_x()
{
    # -displayfd lets the server pick a free display itself: no race with parallel runs.
    # -noreset: by default the server resets when its last client leaves, and a client that
    # connects during the reset (openbox right after the readiness probe) is turned away.
    Xvfb -displayfd 5 -screen 0 "${E2E_SCREEN:-1280x1024x24}" -nolisten tcp -noreset 5>"$E2E_TMP/display" 2>"$E2E_TMP/xvfb.log" &
    E2E_XVFB_PID=$!
    e2e_wait_until 30 _e2e_display_ready || e2e_fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
    DISPLAY=":$(cat "$E2E_TMP/display")"
    export DISPLAY
    e2e_log "X server on $DISPLAY"
    if [[ "${1:-}" != "--no-wm" ]]; then
        e2e_start_wm
    fi
}

e2e_stop_wm()
{
    [[ -n "$E2E_WM_PID" ]] || return 0
    kill -TERM "$E2E_WM_PID" 2>/dev/null
    e2e_wait_until 30 _e2e_dead "$E2E_WM_PID" || e2e_fail "openbox did not end"
    wait "$E2E_WM_PID" 2>/dev/null
    E2E_WM_PID=""
}

e2e_copy_app()
{
    # The settings file lives beside the executable, so each test gets its own copy.
    mkdir -p "$E2E_TMP/app"
    cp "$1" "$E2E_TMP/app/PLMO" || e2e_fail "cannot copy $1"
    E2E_APP="$E2E_TMP/app/PLMO"
    E2E_SETTINGS="${E2E_APP}_UserSettings.ini"
}

# xdotool walks the whole window tree; a window that goes away during the walk stops it with an X
# error (BadWindow) and it reports nothing, or fewer windows than there are. Such a search proves
# nothing either way, so it is run again.
e2e_search()
{
    local out status attempt
    for ((attempt = 0; attempt < 20; attempt++)); do
        out=$(xdotool search "$@" 2>"$E2E_TMP/xdotool.err")
        status=$?
        if ! grep -q "X Error" "$E2E_TMP/xdotool.err"; then
            [[ -z "$out" ]] || printf '%s\n' "$out"
            return "$status"
        fi
        sleep 0.05
    done
    return 1
}

e2e_found()
{
    e2e_search "$@" >/dev/null
}

e2e_gone()
{
    ! e2e_found "$@"
}

e2e_window_count()
{
    e2e_search --class "^$1\$" | wc -l
}

e2e_wait_window()
{
    local class="$1" seconds="${2:-30}"
    e2e_wait_until "$seconds" e2e_found --onlyvisible --class "^$class\$" || return 1
    e2e_search --onlyvisible --class "^$class\$" | head -n 1
}

_e2e_unmapped()
{
    ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable
}

# Waits for that very window to go rather than for the title: another box of the same title may
# follow at once.
e2e_dismiss_box()
{
    local box attempt
    box=$(e2e_search --onlyvisible --name "$1" | head -n 1)
    [[ -n "$box" ]] || e2e_fail "no message box '$1' to answer"
    for ((attempt = 0; attempt < 3; attempt++)); do
        xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key --window "$box" Return
        e2e_wait_until 5 _e2e_unmapped "$box" && return 0
    done
    e2e_fail "the message box '$1' did not close"
}

_e2e_dead()
{
    ! kill -0 "$1" 2>/dev/null
}

# Not through $(...): only this shell can collect the status of its own children.
e2e_wait_exit()
{
    local pid="$1" seconds="${2:-30}"
    E2E_EXIT_CODE=""
    e2e_wait_until "$seconds" _e2e_dead "$pid" || return 1
    wait "$pid" 2>/dev/null
    E2E_EXIT_CODE=$?
}

e2e_start_main()
{
    e2e_spawn "$E2E_APP"
    APP_PID=$E2E_LAST_PID
    E2E_MAIN=$(e2e_wait_window TForm1) || e2e_fail "main window did not appear"
    sleep 0.5
}

e2e_close_main()
{
    wmctrl -c "[PLMO] Pellimo by Vaskorin" || e2e_fail "wmctrl could not close the window"
    e2e_wait_exit "$APP_PID" 30 || e2e_fail "the program did not end after its window was closed"
    [[ "$E2E_EXIT_CODE" == 0 ]] || e2e_fail "exit code $E2E_EXIT_CODE"
}

e2e_click() # window x y
{
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# xwininfo, not xdotool getwindowgeometry: the latter adds the frame's offset once more.
e2e_client_origin() # window
{
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4} END {print x, y}'
}

# The client area grown by the window manager's _NET_FRAME_EXTENTS (left, right, top, bottom).
e2e_outer() # window
{
    local x y w h l r t b
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
        /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\)/\1 \2 \3 \4/p')
    echo "$((x - ${l:-0})) $((y - ${t:-0})) $((w + ${l:-0} + ${r:-0})) $((h + ${t:-0} + ${b:-0}))"
}

e2e_pixel() # picture x y
{
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -n 1
}

readonly E2E_SELECTION_DIALOG='^Please select \*This screen can be moved\*$'

e2e_choose() # main-window tree-x tree-y button-x button-y
{
    e2e_click "$1" "$2" "$3"
    e2e_wait_until 20 e2e_found --onlyvisible --name "$E2E_SELECTION_DIALOG" ||
        e2e_fail "the selection dialog did not open for the tree at $2 $3"
    local dialog
    dialog=$(e2e_search --onlyvisible --name "$E2E_SELECTION_DIALOG" | head -n 1)
    e2e_click "$dialog" "$4" "$5"
    e2e_wait_until 20 e2e_gone --onlyvisible --name "$E2E_SELECTION_DIALOG" ||
        e2e_fail "the selection dialog did not close after $4 $5"
}
