#!/usr/bin/env bash
# PLMO.exe at 125 % and 150 % (the prefix's LogPixels 120 and 144): the client area is 304 x 348
# scaled, the first start centres the whole window on the 1280 x 1024 screen by its outer size in
# screen pixels, and a position saved at 100 % opens at the same place on the screen and is saved
# back unchanged. Settings-file positions are screen pixels at every scale. A window's frame here is
# its visible frame, as Qt places it: the resize border that Windows 10 keeps invisible on the
# left, right and bottom (the probe's "border") lies outside it.
# Usage: hidpi.sh <folder with PLMO.exe and wineprobe.exe>
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

set_dpi()
{
    timeout 30 wineserver -k 2>/dev/null
    timeout 30 wineserver -w 2>/dev/null
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
        e2e_fail "cannot set LogPixels to $1"
    timeout 30 wineserver -w 2>/dev/null
}
# The prefix is shared with the other wine tests: back to 96 dpi however this test ends.
trap 'set_dpi 96; wine_cleanup' EXIT

# Fails unless two numbers differ by at most one pixel (Qt rounds its own pixels to the screen's).
near() # what actual expected
{
    (($2 - $3 <= 1 && $3 - $2 <= 1)) || e2e_fail "$1 is $2, not $3 (within a pixel)"
}

# Reads the main window's visible frame into L T R B, its client area into CW CH and its DPI into DPI.
read_rect()
{
    local text border
    text=$(probe rect "$CAPTION")
    [[ "$text" =~ ^(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+)\ client\ -?[0-9]+,-?[0-9]+,([0-9]+),([0-9]+)\ dpi\ ([0-9]+)\ border\ ([0-9]+)$ ]] ||
        e2e_fail "unreadable window rectangle: $text"
    border=${BASH_REMATCH[8]}
    L=$((BASH_REMATCH[1] + border)) T=${BASH_REMATCH[2]} R=$((BASH_REMATCH[3] - border)) B=$((BASH_REMATCH[4] - border))
    CW=${BASH_REMATCH[5]} CH=${BASH_REMATCH[6]} DPI=${BASH_REMATCH[7]}
    e2e_log "window $text; visible frame $L,$T to $R,$B"
}

saved() # key
{
    sed -n "s/^$1=\(-\?[0-9]*\)\r$/\1/p" "$E2E_SETTINGS"
}

e2e_start_x
wine_copy_app
for dpi in 120 144; do
    e2e_log "$dpi dpi, first start"
    set_dpi "$dpi"
    rm -f "$E2E_SETTINGS"
    wine_start_app
    read_rect
    [[ "$DPI" == "$dpi" ]] || e2e_fail "the window runs at $DPI dpi, not $dpi"
    [[ "${CW}x$CH" == "$(((304 * dpi + 48) / 96))x$(((348 * dpi + 48) / 96))" ]] ||
        e2e_fail "client area ${CW}x$CH at $dpi dpi"
    ((L >= 0 && T >= 0 && R <= 1280 && B <= 1024)) || e2e_fail "the window is not wholly on the screen"
    near "left at $dpi dpi" "$L" $(((1280 - (R - L)) / 2))
    near "top at $dpi dpi" "$T" $(((1024 - (B - T)) / 2))
    wine_close_app
    near "saved left at $dpi dpi" "$(saved Form1Left2)" "$L"
    near "saved top at $dpi dpi" "$(saved Form1Top2)" "$T"

    e2e_log "$dpi dpi, a position saved at 100 %"
    printf '\xef\xbb\xbf[System]\r\nForm1Top2=100\r\nForm1Left2=200\r\nNAME=NoName\r\nForm2Top=150\r\nForm2Left=250\r\nchTopmost=1\r\n' >"$E2E_SETTINGS"
    wine_start_app
    read_rect
    near "left of a saved position at $dpi dpi" "$L" 200
    near "top of a saved position at $dpi dpi" "$T" 100
    wine_close_app
    for key in Form1Left2=200 Form1Top2=100 Form2Left=250 Form2Top=150; do
        [[ "$(saved "${key%=*}")" == "${key#*=}" ]] || e2e_fail "start and close at $dpi dpi moved $key to $(saved "${key%=*}")"
    done
done

echo "wine_hidpi: every check passed"
