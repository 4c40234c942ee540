#!/usr/bin/env bash
# One command for a fresh Debian 12 machine: installs what is missing, builds, then
#   tools/dev.sh run      starts PLMO (Release build in build/release)
#   tools/dev.sh test     checks formatting (clang-format) and the shell scripts (shellcheck), then
#                         runs the whole test suite (Debug, warnings as errors, AddressSanitizer +
#                         UBSan, build/test), the Windows program under wine included
#   tools/dev.sh package  builds the Debian package from the Release build and checks it with lintian
#   tools/dev.sh windows  builds PLMO.exe and the release archive in build/win64
# Safe to run again: packages already present are skipped and the builds are incremental; the
# static Qt for Windows is built once and kept in ~/.cache/pellimo.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
run | test | package | windows) ;;
*)
    echo "usage: $0 run|test|package|windows" >&2
    exit 2
    ;;
esac

build_packages=(g++ cmake make qt6-base-dev qt6-base-private-dev libx11-dev fonts-noto-cjk fonts-dejavu-core fonts-liberation)
test_packages=(xvfb xauth xdotool xclip openbox wmctrl x11-utils imagemagick util-linux
    clang libclang-rt-14-dev g++-mingw-w64-x86-64 libbenchmark-dev wine wine64)
test_packages+=(clang-format-14 shellcheck ccache)
package_packages=(dpkg-dev file lintian desktop-file-utils)
test_packages+=("${package_packages[@]}")
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

# A compiler cache kept beside the static Qt: a new clone, or a CI run that finds the cache, compiles
# only what changed. Where ccache is not installed (tools/dev.sh run), the compiler runs directly.
if command -v ccache >/dev/null; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
    export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/pellimo/ccache}
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} # clones in other folders share it
fi

if [ "$mode" = run ]; then
    install_missing "${build_packages[@]}"
    cmake --preset release >/dev/null
    cmake --build --preset release -j"$jobs"
    exec build/release/PLMO
fi

if [ "$mode" = package ]; then
    install_missing "${build_packages[@]}" "${package_packages[@]}"
    cmake --preset release >/dev/null
    cmake --build --preset release -j"$jobs"
    deb=$(cd build/release && cpack -G DEB | tee /dev/stderr | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')
    # Errors fail the step; warnings are shown.
    lintian --fail-on error "$deb"
    echo "Package: $deb"
    exit 0
fi

# Tracked and new files, without the deleted ones.
project_files() { # git pathspecs...
    local f
    git ls-files --cached --others --exclude-standard -- "$@" | while IFS= read -r f; do
        [ -f "$f" ] && printf '%s\n' "$f"
    done
}

# The quick checks first: a misformatted file or a script fault costs seconds, not a build.
check_sources() {
    local cxx scripts
    mapfile -t cxx < <(project_files '*.cpp' '*.h')
    mapfile -t scripts < <(project_files '*.sh' .ci/run)
    clang-format-14 --dry-run -Werror "${cxx[@]}" || {
        echo "clang-format: format the files above (clang-format-14 -i FILE)" >&2
        return 1
    }
    shellcheck "${scripts[@]}"
    echo "format and shellcheck: ${#cxx[@]} C++ files and ${#scripts[@]} scripts clean"
}

if [ "$mode" = windows ]; then
    install_missing "${build_packages[@]}" "${windows_packages[@]}"
    exec tools/windows/build.sh --zip
fi

install_missing "${build_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}"
check_sources
# The wine tests run the Windows program: build it (and once, the static Qt) before CTest.
tools/windows/build.sh
cmake --preset test >/dev/null
cmake --build --preset test -j"$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --preset test -j"$jobs"
