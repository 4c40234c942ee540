# shellcheck shell=bash disable=SC2154 # results comes from the sourcing script
# One timed start for the start-up benchmarks, sourced by bench/startup.sh and
# bench/startup_wine.sh. Needs E2E_TMP and `results` (the file the lines go to).
#
#   timed <label> <seconds> <command...>
#
# Runs the command (its output dropped) under `timeout <seconds>` and appends
# "<label> <wall s> <user s> <sys s>" to the results, followed by the last line of the file
# TIMED_EXTRA when that is set (such as a peak RSS that the command wrote there). A run that
# fails or hangs is left out, with a line on stderr. Then waits TIMED_PAUSE seconds (default 0.2)
# for openbox to forget the window before the next start.
timed()
{
    local label="$1" limit="$2" t extra=""
    shift 2
    local TIMEFORMAT='%3R %3U %3S'
    t=$({ time {
        timeout "$limit" "$@" >/dev/null 2>&1
        echo $? >"$E2E_TMP/status"
    }; } 2>&1)
    if [[ "$(cat "$E2E_TMP/status")" == 0 ]]; then
        [[ -z "${TIMED_EXTRA:-}" ]] || extra=" $(tail -n 1 "$TIMED_EXTRA")"
        echo "$label $t$extra" >>"$results"
    else
        echo "$label: a run failed or hung (status $(cat "$E2E_TMP/status")), left out" >&2
    fi
    sleep "${TIMED_PAUSE:-0.2}"
}
