#!/usr/bin/env bash
# Shared start of the benchmarks that run PLMO beside the yardstick: builds both in the bench
# preset (unless PLMO=<path> names the program and the yardstick is built), sets `plmo` and
# `yardstick`, and starts a private X server with openbox holding a private copy of the program.
# Source it after setting `root`.
# shellcheck disable=SC2034,SC2154 # root comes from, plmo and yardstick go to, the sourcing script

if [[ -z "${PLMO:-}" || ! -x "${root}/build/bench/bench/bench_yardstick" ]]; then
    (cd "$root" && cmake --preset bench >/dev/null && cmake --build --preset bench -j2 --target PLMO bench_yardstick >/dev/null) \
        || { echo "build failed" >&2; exit 1; }
fi
plmo="${PLMO:-$root/build/bench/PLMO}"
yardstick="$root/build/bench/bench/bench_yardstick"

# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_start_x 2>/dev/null
e2e_copy_app "$plmo"
