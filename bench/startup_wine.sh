#!/usr/bin/env bash
# Start-up cost of PLMO.exe next to the yardstick built for Windows (bench/yardstick.cpp with the
# same static Qt), both under wine in one private prefix on one private Xvfb + openbox, started
# alternately. Wine's own start (loader, DLLs, the running wineserver) is paid by both.
#
#   bench/startup_wine.sh [runs]     runs of each program, at least 10 (default 20)
#
# Each run starts `wine <program>` with PELLIMO_BENCH_QUIT_AFTER_PAINT, which ends the program
# right after its first paint, and takes bash's `time` (wall and CPU of wine's processes; the
# wineserver, started once beforehand and kept running, is not counted). Builds PLMO.exe with
# tools/windows/build.sh unless build/win64 holds one, and the yardstick target. Prints medians and
# PLMO.exe / yardstick ratios. The machine may be shared: look at `uptime`.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-20}"
((runs >= 10)) || { echo "at least 10 runs" >&2; exit 2; }
out="$root/build/win64"

if [[ ! -f "$out/PLMO.exe" ]]; then
    "$root/tools/windows/build.sh" || exit 1
fi
cmake --build "$out" --target bench_yardstick >/dev/null || { echo "the yardstick did not build" >&2; exit 1; }

export PELLIMO_WINEPREFIX
PELLIMO_WINEPREFIX="$(mktemp -d)/wineprefix"
bash "$root/tests/wine/prefix.sh" "$PELLIMO_WINEPREFIX" >/dev/null || exit 1
# shellcheck source=../tests/wine/lib.sh
source "$root/tests/wine/lib.sh" "$out"
trap 'wine_cleanup; rm -rf "$(dirname "$PELLIMO_WINEPREFIX")"' EXIT
e2e_start_x 2>/dev/null
wine_copy_app
cp "$out/bench_yardstick.exe" "$E2E_TMP/app/" || e2e_fail "no bench_yardstick.exe"
yardstick="$E2E_TMP/app/bench_yardstick.exe"
# One wineserver for every run, as on a desktop where wine is already up.
wineserver -p
xdotool mousemove 0 0
results="$E2E_TMP/results"

# shellcheck source=timed.sh
source "$root/bench/timed.sh"
# One timed start under wine; a wine start takes longer to leave openbox's list.
TIMED_PAUSE=0.3
timed_start() # label program
{
    timed "$1" 60 wine "$2"
}

export PELLIMO_BENCH_QUIT_AFTER_PAINT=1
timed_start warmup "$yardstick"
timed_start warmup "$E2E_APP"
: >"$results"
declare -A program=([yardstick]="$yardstick" [plmo]="$E2E_APP")
for ((i = 0; i < runs; i++)); do
    order=(yardstick plmo)
    ((i % 2 == 0)) || order=(plmo yardstick)
    for label in "${order[@]}"; do timed_start "$label" "${program[$label]}"; done
done
[[ ! -e "$E2E_SETTINGS" ]] || e2e_fail "PLMO.exe wrote its settings file when ended by the benchmark switch"

echo "machine: $(nproc) cores; load $(cut -d' ' -f1-3 /proc/loadavg); $(wine --version)"
python3 - "$results" "$runs" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    label, *values = line.split()
    rows.setdefault(label, []).append([float(v) for v in values])
print(f"{sys.argv[2]} runs each under wine, alternating; medians")
print(f"{'':36}{'yardstick':>10}{'PLMO.exe':>10}{'ratio':>8}")
for name, f in (("start to first paint, wall ms", lambda r: r[0]),
                ("start to first paint, CPU ms", lambda r: r[1] + r[2])):
    y = statistics.median(f(r) for r in rows["yardstick"]) * 1000
    p = statistics.median(f(r) for r in rows["plmo"]) * 1000
    print(f"{name:36}{y:10.1f}{p:10.1f}{p / y:8.2f}")
PY
