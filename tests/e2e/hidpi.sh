#!/usr/bin/env bash
# The real program at 150 % and 200 % (QT_SCALE_FACTOR): the main window keeps its layout at the
# larger size, and at 200 % the map is drawn in device pixels, not as 96-dpi pixels doubled.
# Usage: hidpi.sh <path of PLMO>

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -ge 1 && -x "$1" ]] || e2e_fail "usage: $0 <PLMO>"
e2e_start_x
e2e_copy_app "$1"

for scale in 1.5 2; do
    e2e_log "scale $scale"
    QT_SCALE_FACTOR=$scale e2e_spawn "$E2E_APP"
    pid="$E2E_LAST_PID"
    wid="$(e2e_wait_window TForm1)" || e2e_fail "no main window at scale $scale"
    read -r width height < <(xwininfo -id "$wid" | awk '/^ *Width:/{w=$2} /^ *Height:/{h=$2} END{print w, h}')
    want="$(awk -v s="$scale" 'BEGIN { printf "%d x %d", 304 * s + 0.5, 348 * s + 0.5 }')"
    [[ "$width x $height" == "$want" ]] || e2e_fail "client area $width x $height at scale $scale, not $want"

    xdotool mousemove 0 0
    sleep 0.5 # let the first paint reach the screen
    shot="$E2E_TMP/scale-$scale.png"
    import -window "$wid" "$shot" 2>/dev/null || e2e_fail "no screenshot"
    # Grass between the trees L2, L4, D1 and D2, in layout pixels (74, 202) to (118, 258).
    map="$(convert "$shot" -format "%[pixel:p{$(awk -v s="$scale" 'BEGIN { printf "%d,%d", 96 * s, 230 * s }')}]" info:)"
    [[ "$map" =~ ^srgba?\(([0-9]+),([0-9]+),([0-9]+) ]] || e2e_fail "unreadable pixel $map"
    ((BASH_REMATCH[2] > BASH_REMATCH[1] + 20)) || e2e_fail "no grass at scale $scale: $map"
    if [[ "$scale" == 2 ]]; then
        # A picture of doubled pixels equals itself halved by sampling and doubled again.
        crop="$E2E_TMP/grass.png"
        convert "$shot" -crop 88x112+148+404 +repage "$crop"
        convert "$crop" -sample 50% -sample 200% "$E2E_TMP/doubled.png"
        differing="$(compare -metric AE "$crop" "$E2E_TMP/doubled.png" null: 2>&1)"
        [[ "$differing" =~ ^[0-9]+$ ]] || e2e_fail "compare failed: $differing"
        e2e_log "pixels that differ from a doubled picture: $differing of $((88 * 112))"
        ((differing > 88 * 112 / 4)) || e2e_fail "the map at 200 % is 96-dpi pixels doubled ($differing differ)"
    fi
    wmctrl -i -c "$wid"
    e2e_wait_exit "$pid" 30 || e2e_fail "PLMO did not end at scale $scale"
done
echo "e2e_hidpi: every check passed"
