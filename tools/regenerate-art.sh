#!/usr/bin/env bash
# Redraws the garden maps and the application icon in resources/ with tools/artgen.
# Run it on purpose after changing the generator, look at the pictures, then commit them.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/art"

# The generator is configured on its own, so a half-finished application cannot block it.
cmake -S "$root/tools" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target pellimo_artgen -j2
QT_QPA_PLATFORM=offscreen "$build/pellimo_artgen" "$root"

git -C "$root" status --short resources/
