#!/usr/bin/env bash
# Click to dialog on screen (bench/bench_dialogopen.cpp) under a private Xvfb + openbox.
#
#   bench/dialog.sh [benchmark options]     e.g. --benchmark_repetitions=3
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
(cd "$root" && cmake --preset bench >/dev/null && cmake --build --preset bench -j2 --target bench_dialogopen >/dev/null) \
    || { echo "build failed" >&2; exit 1; }

# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_start_x 2>/dev/null
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'); load $(cut -d' ' -f1-3 /proc/loadavg)"
"$root/build/bench/bench/bench_dialogopen" "$@"
