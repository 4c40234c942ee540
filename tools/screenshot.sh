#!/usr/bin/env bash
# Takes the README screenshot from the real program: runs PLMO under its own Xvfb with
# openbox and captures the main window with its frame.
#   tools/screenshot.sh [path/to/PLMO] [output.png]
set -uo pipefail # no -e: the shared cleanup trap must run every step
cd "$(dirname "$0")/.." || exit 1
plmo=${1:-build/release/PLMO}
out=${2:-docs/screenshot.png}
[ -x "$plmo" ] || { echo "no program at $plmo (build it first: tools/dev.sh run)" >&2; exit 1; }
out=$(realpath -m "$out")
plmo=$(realpath "$plmo")

source tests/e2e/lib.sh
e2e_start_x
e2e_copy_app "$plmo"
e2e_spawn "$E2E_APP"
wid=$(e2e_wait_window TForm1) || e2e_fail "main window did not appear"
# Optional scene: a few choices so the screenshot shows colours and a pair line.
if [ "${PELLIMO_SHOT_SCENE:-1}" = 1 ]; then
    e2e_choose "$wid" 197 90 37 21   # U1 -> Compas.
    e2e_choose "$wid" 197 269 37 61  # D4 -> Despise
    e2e_choose "$wid" 272 138 189 21 # R4 -> Honor
    e2e_choose "$wid" 155 140 113 21 # U2 -> Honesty
fi
xdotool mousemove 0 0
sleep 0.5
mkdir -p "$(dirname "$out")"
import -frame -window "$wid" "$out"
echo "wrote $out"
