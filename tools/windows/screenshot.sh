#!/usr/bin/env bash
# Takes the README's Windows screenshot: PLMO.exe under wine on its own Xvfb with openbox,
# with the same few choices as tools/screenshot.sh, captured with its frame.
#   tools/windows/screenshot.sh [folder with PLMO.exe and wineprobe.exe] [output.png]
set -uo pipefail # no -e: the shared cleanup trap must run every step
cd "$(dirname "$0")/../.." || exit 1
bin=$(realpath "${1:-build/win64}")
out=$(realpath -m "${2:-docs/screenshot-wine.png}")
prefix_dir=$(mktemp -d "${TMPDIR:-/tmp}/pellimo-shot.XXXXXX")
bash tests/wine/prefix.sh "$prefix_dir/wineprefix" >/dev/null || exit 1
export PELLIMO_WINEPREFIX="$prefix_dir/wineprefix"

source tests/wine/lib.sh "$bin"
trap 'wine_cleanup; rm -rf "$prefix_dir"' EXIT
e2e_start_x
wine_copy_app
wine_start_app
choose() { # tree x y, option x y (window-relative)
    e2e_click "$WID" "$1" "$2"
    dlg=$(wine_wait_name '^Please select \*This screen can be moved\*$' 30) || e2e_fail "no selection dialog"
    sleep 0.5
    e2e_click "$dlg" "$3" "$4"
    e2e_wait_until 20 e2e_gone --onlyvisible --name '^Please select'
}
choose 197 90 37 21   # U1 -> Compas.
choose 197 269 37 61  # D4 -> Despise
choose 272 138 189 21 # R4 -> Honor
choose 155 140 113 21 # U2 -> Honesty
xdotool mousemove 0 0
sleep 1
mkdir -p "$(dirname "$out")"
import -frame -window "$WID" "$out"
echo "wrote $out"
