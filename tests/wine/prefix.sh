#!/usr/bin/env bash
# Makes the wine prefix that the wine tests share, afresh for each test run (CTest fixture):
# wine's first start in a prefix is slow, so it happens once, here.
# Usage: prefix.sh <folder>
set -euo pipefail
prefix="${1:?usage: prefix.sh <folder>}"
case "$prefix" in
*/wineprefix) ;;
*) echo "prefix.sh: refusing to replace '$prefix' (expected a folder named wineprefix)" >&2; exit 2 ;;
esac
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# No display: wine's set-up runs without showing a window.
unset DISPLAY WAYLAND_DISPLAY
timeout 60 wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
timeout 300 wineboot --init >"$prefix.log" 2>&1 || { cat "$prefix.log" >&2; exit 1; }
timeout 300 wineserver -w
[[ -f "$prefix/system.reg" ]] || { echo "prefix.sh: wine made no prefix" >&2; cat "$prefix.log" >&2; exit 1; }
echo "wine prefix ready: $prefix"
