#!/usr/bin/env bash
# What PLMO costs while nothing happens, next to the yardstick (bench/yardstick.cpp), under a
# private Xvfb + openbox: 10 s with the pointer resting on tree button btn01 (the stopwatch off),
# then 10 s with the pointer away from the window. For each: CPU time per second (all threads,
# /proc/<pid>/task/*/schedstat, nanoseconds; /proc/<pid>/stat only counts 10 ms ticks), wake-ups
# per second (voluntary + involuntary context switches) and read/write system calls per second
# (/proc/<pid>/io: the X connection and the event loop's wake-up pipes; 0 means no X traffic).
#
#   bench/idle.sh [seconds]      measuring time per state (default 10)
#
# Environment: PLMO=<path> measures that executable instead of building build/bench/PLMO.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-10}"

# shellcheck source=lib.sh
source "$root/bench/lib.sh"
xdotool mousemove 1200 1000

# "<CPU ns> <context switches> <read+write calls>" of a process, summed over its threads.
counters()
{
    local pid="$1" ns=0 cs=0 t a b
    for t in /proc/"$pid"/task/*; do
        read -r a _ <"$t/schedstat"
        ns=$((ns + a))
        b=$(awk '/ctxt_switches/ { s += $2 } END { print s }' "$t/status")
        cs=$((cs + b))
    done
    echo "$ns $cs $(awk '/^sysc[rw]:/ { s += $2 } END { print s }' "/proc/$pid/io")"
}

# Measures one state of a running program: "<label>: CPU ms/s, wake-ups/s, read+write calls/s".
measure()
{
    local label="$1" pid="$2" before after
    sleep 1 # let the pointer move settle
    read -ra before <<<"$(counters "$pid")"
    sleep "$seconds"
    read -ra after <<<"$(counters "$pid")"
    awk -v l="$label" -v s="$seconds" -v n0="${before[0]}" -v n1="${after[0]}" -v c0="${before[1]}" \
        -v c1="${after[1]}" -v i0="${before[2]}" -v i1="${after[2]}" \
        'BEGIN { printf "%-34s %8.2f %12.1f %12.1f\n", l, (n1 - n0) / 1e6 / s, (c1 - c0) / s, (i1 - i0) / s }'
}

# Starts a program, waits for its window, measures pointer-on-btn01 and pointer-away, ends it.
run()
{
    local label="$1" class="$2" program="$3" id x y
    e2e_spawn "$program"
    local pid="$E2E_LAST_PID"
    id=$(e2e_wait_window "$class") || e2e_fail "$label did not show its window"
    sleep 1
    # The client area's screen position (xdotool's geometry is off by the frame under openbox).
    x=$(xwininfo -id "$id" | awk '/Absolute upper-left X/ { print $4 }')
    y=$(xwininfo -id "$id" | awk '/Absolute upper-left Y/ { print $4 }')
    x=$((x + 65 + 20))
    y=$((y + 59 + 20))
    xdotool mousemove "$x" "$y"
    measure "$label, pointer resting on btn01" "$pid"
    xdotool mousemove 1200 1000
    measure "$label, pointer away" "$pid"
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'); load $(cut -d' ' -f1-3 /proc/loadavg)"
printf "%-34s %8s %12s %12s\n" "" "CPU ms/s" "wake-ups/s" "r+w calls/s"
run "yardstick" "Bench_yardstick" "$yardstick"
run "PLMO" "TForm1" "$E2E_APP"
