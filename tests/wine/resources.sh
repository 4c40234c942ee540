#!/usr/bin/env bash
# What Windows reads from PLMO.exe before it runs. The resource section holds the icon (16 to 256
# pixels), the version information with the project's version, and the manifest (asInvoker,
# Windows 10 and 11, per-monitor v2 DPI awareness as Qt sets it, long paths); under wine, the
# version and icon calls that Explorer makes find them.
# Usage: resources.sh <folder with PLMO.exe and wineprobe.exe>
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

version=$(sed -n 's/^project(pellimo VERSION \([0-9.]*\).*/\1/p' "$(dirname "${BASH_SOURCE[0]}")/../../CMakeLists.txt")
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || e2e_fail "no project version in CMakeLists.txt: '$version'"
wine_copy_app

e2e_log "the resource section"
listing=$(x86_64-w64-mingw32-windres -i "$E2E_APP" -O rc 2>&1) || e2e_fail "windres cannot read PLMO.exe: $listing"
has() { grep -qF -- "$1" <<<"$listing" || e2e_fail "not in PLMO.exe's resources: $1"; }
# The icon group: 16, 24, 32, 48 and 256 (written as 0) pixels square, 32 bits each.
for size in '\020\020' '\030\030' '\040\040' '\060\060' '\000\000'; do has "\"$size\\000\\000\", 1, 32,"; done
has "FILEVERSION ${version//./, }, 0"
has "PRODUCTVERSION ${version//./, }, 0"
has 'VALUE "OriginalFilename", "PLMO.exe"'
has 'VALUE "ProductName", "Pellimo"'
has "VALUE \"FileVersion\", \"$version\""
has '<requestedExecutionLevel level=""asInvoker"" uiAccess=""false""/>'
has '<supportedOS Id=""{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}""/>'
has '>PerMonitorV2</dpiAwareness>'
has '>true/pm</dpiAware>'
has '>true</longPathAware>'

e2e_log "as Windows reads it"
exe=$(winepath -w "$E2E_APP" 2>/dev/null) || e2e_fail "winepath failed"
details=$(probe version "$exe")
for line in "FILEVERSION=$version.0" "ProductName=Pellimo" "FileVersion=$version" "ProductVersion=$version" \
    "OriginalFilename=PLMO.exe" "FileDescription=Pellimo - Garden puzzle companion"; do
    grep -qxF "$line" <<<"$details" || e2e_fail "Properties > Details lacks '$line': $details"
done
[[ "$(probe icons "$exe")" == 1 ]] || e2e_fail "Explorer finds $(probe icons "$exe") icons in PLMO.exe, not 1"

echo "wine_resources: every check passed"
