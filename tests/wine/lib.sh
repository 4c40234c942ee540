#!/usr/bin/env bash
# Shared helpers for the wine tests: the Windows PLMO.exe under wine on a private Xvfb with
# openbox. Builds on the end-to-end helpers (tests/e2e/lib.sh). Source it:
#   source "$(dirname "$0")/lib.sh" <folder with PLMO.exe and wineprobe.exe>
#
#   wine_copy_app                copies PLMO.exe and wineprobe.exe into a private folder:
#                                E2E_APP, E2E_SETTINGS (the exe path + "_UserSettings.ini")
#   wine_start_app [--relay <functions>]
#                                starts PLMO.exe under wine; pid in APP_PID, X window in WID;
#                                --relay logs its calls of these user32 functions (';'-separated
#                                names) with their arguments into $E2E_TMP/relay.log
#   wine_close_app               closes the main window with wmctrl, expects exit code 0
#   probe <args...>              runs wineprobe.exe (see wineprobe.cpp), output without CR
#   wine_wait_name <regex> [s]   waits for a visible X window with that name, prints its id
#
# The wine prefix is made once per test run by prefix.sh (CTest fixture) and shared; the
# tests run one at a time, and each ends its wineserver when it is done.

# shellcheck source=../e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

WINE_BIN_DIR="${1:-}"
[[ -n "$WINE_BIN_DIR" && -f "$WINE_BIN_DIR/PLMO.exe" ]] ||
    e2e_fail "no PLMO.exe in '${WINE_BIN_DIR}': build it with tools/windows/build.sh (tools/dev.sh test does)"
[[ -f "$WINE_BIN_DIR/wineprobe.exe" ]] || e2e_fail "no wineprobe.exe in $WINE_BIN_DIR"
[[ -n "${PELLIMO_WINEPREFIX:-}" && -f "$PELLIMO_WINEPREFIX/system.reg" ]] ||
    e2e_fail "no wine prefix in '${PELLIMO_WINEPREFIX:-}' (made by tests/wine/prefix.sh)"
command -v wine >/dev/null || e2e_fail "wine is not installed"

# The Linux tests pick the xcb plugin by this; the Windows Qt would look for it too.
unset QT_QPA_PLATFORM
export WINEPREFIX="$PELLIMO_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
readonly CAPTION="[PLMO] Pellimo by Vaskorin"
readonly CAPTION_RE='^\[PLMO\] Pellimo by Vaskorin$'
APP_PID=""
WID=""

wine_cleanup()
{
    # The windows programs first, while their X server still runs, then the server process.
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill -KILL "$pid" 2>/dev/null
    done
    for pid in "${E2E_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    timeout 30 wineserver -k 2>/dev/null
    timeout 30 wineserver -w 2>/dev/null
    e2e_cleanup
}
trap wine_cleanup EXIT

# shellcheck disable=SC2034 # E2E_* results are read by the scripts that source this file
wine_copy_app()
{
    mkdir -p "$E2E_TMP/app"
    cp "$WINE_BIN_DIR/PLMO.exe" "$WINE_BIN_DIR/wineprobe.exe" "$E2E_TMP/app/" || e2e_fail "cannot copy the programs"
    E2E_APP="$E2E_TMP/app/PLMO.exe"
    E2E_SETTINGS="${E2E_APP}_UserSettings.ini"
}

probe()
{
    wine "$E2E_TMP/app/wineprobe.exe" "$@" 2>>"$E2E_TMP/probe.err" | tr -d '\r'
}

wine_wait_name()
{
    local name="$1" seconds="${2:-60}"
    e2e_wait_until "$seconds" e2e_found --onlyvisible --name "$name" || return 1
    e2e_search --onlyvisible --name "$name" | head -n 1
}

wine_start_app()
{
    if [[ "${1:-}" == --relay ]]; then
        local include="" name
        for name in ${2//;/ }; do include+="${include:+;}user32.$name"; done
        wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d "$include" /f >/dev/null 2>&1 ||
            e2e_fail "cannot set wine's relay filter"
        # exec: the spawned pid is the program itself, so its exit code is wine's.
        # shellcheck disable=SC2016 # $1 and $2 are the inner shell's own arguments
        e2e_spawn env WINEDEBUG=+relay bash -c 'exec wine "$1" 2>"$2"' _ "$E2E_APP" "$E2E_TMP/relay.log"
    else
        e2e_spawn wine "$E2E_APP"
    fi
    APP_PID="$E2E_LAST_PID"
    # Generous: the first start of a wine session also starts its wineserver and services.
    WID=$(wine_wait_name "$CAPTION_RE" 120) || e2e_fail "the main window did not appear"
    e2e_wait_until 20 wm_state_is "$WID" Normal || e2e_fail "the main window is not managed"
    sleep 0.5
}

wine_close_app()
{
    wmctrl -c "$CAPTION" || e2e_fail "wmctrl could not close the window"
    e2e_wait_exit "$APP_PID" 60 || e2e_fail "PLMO.exe did not end after its window was closed"
    [[ "$E2E_EXIT_CODE" == 0 ]] || e2e_fail "PLMO.exe ended with $E2E_EXIT_CODE"
}

# True when the probe prints exactly the expected text; for e2e_wait_until.
probe_says()
{
    local expected="$1"
    shift
    [[ "$(probe "$@")" == "$expected" ]]
}
