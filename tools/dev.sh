#!/usr/bin/env bash
# One command for a fresh Debian 12 machine: installs what is missing, builds, then
#   tools/dev.sh run      starts PLMO (Release build in build/release)
#   tools/dev.sh test     runs the whole test suite (Debug, AddressSanitizer + UBSan, build/test),
#                         the Windows program under wine included
#   tools/dev.sh windows  builds PLMO.exe and the release archive in build/win64
# Safe to run again: packages already present are skipped and the builds are incremental; the
# static Qt for Windows is built once and kept in ~/.cache/pellimo.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
run | test | windows) ;;
*)
    echo "usage: $0 run|test|windows" >&2
    exit 2
    ;;
esac

build_packages=(g++ cmake make qt6-base-dev libx11-dev fonts-noto-cjk fonts-dejavu-core fonts-liberation)
test_packages=(xvfb xauth xdotool xclip openbox wmctrl x11-utils imagemagick util-linux
    clang libclang-rt-14-dev g++-mingw-w64-x86-64 libbenchmark-dev wine wine64)
# The Windows cross build: mingw-w64 (posix threads), the host Qt tools (moc, rcc) and what
# fetching and unpacking Debian's qt6-base source takes.
windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev-tools ninja-build
    dpkg-dev debian-archive-keyring ca-certificates perl xz-utils zip)

install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

jobs=$(nproc 2>/dev/null || echo 2)

if [ "$mode" = run ]; then
    install_missing "${build_packages[@]}"
    cmake --preset release >/dev/null
    cmake --build --preset release -j"$jobs"
    exec build/release/PLMO
fi

if [ "$mode" = windows ]; then
    install_missing "${build_packages[@]}" "${windows_packages[@]}"
    exec tools/windows/build.sh --zip
fi

install_missing "${build_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}"
# The wine tests run the Windows program: build it (and once, the static Qt) before CTest.
tools/windows/build.sh
cmake --preset test >/dev/null
cmake --build --preset test -j"$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --preset test -j"$jobs"
