#!/usr/bin/env bash
# Start-up cost of PLMO next to the yardstick (bench/yardstick.cpp: one Qt window with the map
# and one line of text), under one private Xvfb + openbox, the two started alternately.
#
#   bench/startup.sh [runs]      runs of each program, at least 20 (default 20)
#
# Each run starts a program with the benchmark switch PELLIMO_BENCH_QUIT_AFTER_PAINT, which ends
# it right after its first paint, under /usr/bin/time -f %M (peak RSS) inside bash's `time`
# (wall and CPU to the millisecond; /usr/bin/time itself prints only hundredths). What
# /usr/bin/time itself costs is measured the same way on `true` and taken off. Then each program
# is started without the switch and its resident memory read 2 s later. PLMO runs from a private
# copy of its folder, so no settings file of the user is read or written.
#
# Environment: PLMO=<path> times that executable instead of building build/bench/PLMO;
# RSS_RUNS=<n> (default 10) runs for the memory 2 s after start.
# Prints medians for both programs and PLMO / yardstick ratios. The machine may be shared: look
# at `uptime` and run again when it is busy.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-20}"
rss_runs="${RSS_RUNS:-10}"

# shellcheck source=lib.sh
source "$root/bench/lib.sh"
# The pointer away from where the windows appear, as after a start from a launcher: a pointer
# resting on PLMO's window would add its foreground activation (the pointer entering) to the start.
xdotool mousemove 0 0
results="$E2E_TMP/results"
: >"$results"

# shellcheck source=timed.sh
source "$root/bench/timed.sh"
# One timed start, its peak RSS (KiB) last on its line. A start whose window never appears (the
# window manager did not map it) is ended after 20 s, reported and left out.
TIMED_EXTRA="$E2E_TMP/rss"
timed_start() # label command...
{
    local label="$1"
    shift
    timed "$label" 20 /usr/bin/time -f %M -o "$TIMED_EXTRA" "$@"
}

# Resident memory of a program 2 s after its start: "<label>-rss2 <KiB>".
rss_after_2s()
{
    local label="$1" pid rss
    shift
    "$@" >/dev/null 2>&1 &
    pid=$!
    sleep 2
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
    echo "$label-rss2 $rss 0 0 0" >>"$results"
    sleep 0.2
}

export PELLIMO_BENCH_QUIT_AFTER_PAINT=1
timed_start warmup "$yardstick"
timed_start warmup "$E2E_APP"
: >"$results"
for ((i = 0; i < runs; i++)); do
    timed_start overhead true
    if ((i % 2 == 0)); then
        timed_start yardstick "$yardstick"
        timed_start plmo "$E2E_APP"
    else
        timed_start plmo "$E2E_APP"
        timed_start yardstick "$yardstick"
    fi
done
unset PELLIMO_BENCH_QUIT_AFTER_PAINT
# The switch ends PLMO without closing its window: nothing may have been saved.
[[ ! -e "$E2E_SETTINGS" ]] || e2e_fail "PLMO wrote its settings file when ended by the benchmark switch"
for ((i = 0; i < rss_runs; i++)); do
    rss_after_2s yardstick "$yardstick"
    rss_after_2s plmo "$E2E_APP"
done

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'); load $(cut -d' ' -f1-3 /proc/loadavg)"
python3 - "$results" "$runs" "$rss_runs" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    label, *values = line.split()
    rows.setdefault(label, []).append([float(v) for v in values])
def med(label, f):
    return statistics.median(f(r) for r in rows[label])
over_wall = med("overhead", lambda r: r[0]) * 1000
over_cpu = med("overhead", lambda r: r[1] + r[2]) * 1000
table = [
    ("start to first paint, wall ms", lambda l: med(l, lambda r: r[0]) * 1000 - over_wall),
    ("start to first paint, CPU ms", lambda l: med(l, lambda r: r[1] + r[2]) * 1000 - over_cpu),
    ("peak RSS MiB", lambda l: med(l, lambda r: r[3]) / 1024),
    ("RSS 2 s after start MiB", lambda l: med(l + "-rss2", lambda r: r[0]) / 1024),
]
print(f"{sys.argv[2]} runs each, alternating; RSS after 2 s: {sys.argv[3]} runs each; medians")
print(f"{'':32}{'yardstick':>10}{'PLMO':>10}{'ratio':>8}")
for name, value in table:
    y, p = value("yardstick"), value("plmo")
    print(f"{name:32}{y:10.1f}{p:10.1f}{p / y:8.2f}")
PY
