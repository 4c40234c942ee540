#!/usr/bin/env bash
# Quick start/exit cycles of PLMO under one private Xvfb + openbox, to look for a window manager
# that stops mapping new windows or keeps a gone window in its client list. Each start uses the
# benchmark switch PELLIMO_BENCH_QUIT_AFTER_PAINT (ends after the first paint); a start whose
# window is not shown within 10 s counts as hung. After each exit the manager's client list must
# be empty again within 0.5 s.
#
#   bench/cycles.sh [cycles]     default 150
#
# Environment: PLMO=<path> runs that executable instead of building build/bench/PLMO.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cycles="${1:-150}"
if [[ -z "${PLMO:-}" ]]; then
    (cd "$root" && cmake --preset bench >/dev/null && cmake --build --preset bench -j2 --target PLMO >/dev/null) \
        || { echo "build failed" >&2; exit 1; }
fi

# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_start_x 2>/dev/null
e2e_copy_app "${PLMO:-$root/build/bench/PLMO}"
export PELLIMO_BENCH_QUIT_AFTER_PAINT=1

clients() { xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*' | wc -l; }
hung=0
stale=0
for ((i = 1; i <= cycles; i++)); do
    if ! timeout 10 "$E2E_APP" >/dev/null 2>&1; then
        hung=$((hung + 1))
        echo "cycle $i: no first paint within 10 s" >&2
    fi
    if (($(clients) > 0)); then
        sleep 0.5
        if (($(clients) > 0)); then
            stale=$((stale + 1))
            echo "cycle $i: still listed after exit: $(xprop -root _NET_CLIENT_LIST)" >&2
        fi
    fi
done
echo "$cycles cycles: $hung hung, $stale with a gone window left in the client list"
((hung == 0 && stale == 0))
