#!/usr/bin/env bash
# Cross-builds the Windows program into build/win64: PLMO.exe, one self-contained executable
# (Qt linked statically, no DLLs beside it), and wineprobe.exe for the wine tests.
#   tools/windows/build.sh          builds (and the static Qt first, once)
#   tools/windows/build.sh --zip    also packs build/win64/Pellimo-<version>-win64.zip
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
out=build/win64
jobs=${PELLIMO_JOBS:-$(nproc 2>/dev/null || echo 2)}
say() { echo "[win64] $*" >&2; }

qt=$(tools/windows/build-qt.sh)

# A build folder made against another Qt (other version or options) is started afresh:
# CMake cannot switch the toolchain of an existing build.
if [ -f "$out/CMakeCache.txt" ] && [ "$(cat "$out/.qt-prefix" 2>/dev/null)" != "$qt" ]; then
    rm -rf "$out"
fi
mkdir -p "$out"
say "building PLMO.exe"
log=$out/build.log
if ! {
    cmake -S . -B "$out" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/tools/windows/mingw-w64-posix.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DPELLIMO_WINE_PROBE=ON &&
        cmake --build "$out" --parallel "$jobs"
} >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    say "error: the Windows build failed (whole log: $log)"
    exit 1
fi
echo "$qt" >"$out/.qt-prefix"

exe=$out/PLMO.exe
# Self-contained: nothing but system DLLs may be imported.
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort -u)
for dll in $imports; do
    case "$dll" in
    kernel32.dll | user32.dll | gdi32.dll | shell32.dll | ole32.dll | oleaut32.dll | advapi32.dll | \
        comdlg32.dll | shcore.dll | winmm.dll | imm32.dll | uxtheme.dll | dwmapi.dll | version.dll | ws2_32.dll | \
        shlwapi.dll | uuid.dll | netapi32.dll | userenv.dll | wtsapi32.dll | setupapi.dll | \
        msvcrt.dll | d3d9.dll | d3d11.dll | dxgi.dll | dwrite.dll | d2d1.dll | dcomp.dll | mpr.dll | authz.dll | \
        api-ms-win-*.dll | winspool.drv | comctl32.dll | rpcrt4.dll | crypt32.dll | secur32.dll) ;;
    *)
        say "error: PLMO.exe needs $dll, which Windows does not have"
        exit 1
        ;;
    esac
done
say "PLMO.exe: $(($(stat -c %s "$exe") / 1024 / 1024)) MB, imports only system DLLs"

if [ "${1:-}" = --zip ]; then
    version=$(sed -n 's/^project(pellimo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
    stage=$out/zip/Pellimo-$version-win64
    rm -rf "$out/zip"
    mkdir -p "$stage"
    cp "$exe" "$stage/PLMO.exe"
    cp tools/windows/README-windows.txt "$stage/README.txt"
    cp tools/windows/THIRD-PARTY-NOTICES.txt "$stage/THIRD-PARTY-NOTICES.txt"
    cp LICENSE "$stage/LICENSE.txt"
    # Licence texts: Qt's and its third-party parts' (kept with the Qt build), the compiler's.
    cp -r "$qt/licenses" "$stage/licenses"
    cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/licenses/mingw-w64.txt"
    cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/gcc.txt"
    # Windows line ends for Notepad of old.
    find "$stage" -name '*.txt' -exec sed -i 's/\r\?$/\r/' {} +
    zip_file=$root/$out/Pellimo-$version-win64.zip
    rm -f "$zip_file"
    (cd "$out/zip" && zip -q -X -r "$zip_file" "Pellimo-$version-win64")
    say "archive: $out/Pellimo-$version-win64.zip"
fi
