#!/usr/bin/env bash
# Started from a Wayland session that has XWayland (WAYLAND_DISPLAY and DISPLAY set), PLMO runs
# through xcb and says so once on standard error; a platform the user set is kept without a word.
# Usage: wayland.sh <path of PLMO>

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -ge 1 && -x "$1" ]] || e2e_fail "usage: $0 <PLMO>"
e2e_start_x
e2e_copy_app "$1"

# No compositor listens on this name: only the X server can show the window.
run()
{
    env -u QT_QPA_PLATFORM WAYLAND_DISPLAY=pellimo-no-compositor XDG_SESSION_TYPE=wayland "$@"
}

e2e_log "Wayland session with XWayland"
e2e_spawn run "$E2E_APP" 2>"$E2E_TMP/stderr"
pid="$E2E_LAST_PID"
wid="$(e2e_wait_window TForm1)" || e2e_fail "no X window in a Wayland session with XWayland"
e2e_log "second start"
run "$E2E_APP" 2>"$E2E_TMP/second.stderr" || e2e_fail "the second start failed"
[[ "$(grep -c 'running through XWayland' "$E2E_TMP/stderr")" == 1 ]] ||
    e2e_fail "standard error does not say once that it runs through XWayland: $(cat "$E2E_TMP/stderr")"
grep -q XWayland "$E2E_TMP/second.stderr" && e2e_fail "the second start repeated the notice"
wmctrl -i -c "$wid"
e2e_wait_exit "$pid" 30 || e2e_fail "PLMO did not end"

e2e_log "the user's own platform"
e2e_spawn env WAYLAND_DISPLAY=pellimo-no-compositor QT_QPA_PLATFORM=xcb "$E2E_APP" 2>"$E2E_TMP/own.stderr"
pid="$E2E_LAST_PID"
wid="$(e2e_wait_window TForm1)" || e2e_fail "no window with QT_QPA_PLATFORM=xcb"
grep -q XWayland "$E2E_TMP/own.stderr" && e2e_fail "a notice although the user chose the platform"
wmctrl -i -c "$wid"
e2e_wait_exit "$pid" 30 || e2e_fail "PLMO did not end"
echo "e2e_wayland: every check passed"
