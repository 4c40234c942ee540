#!/usr/bin/env bash
# Builds the settings-file fuzzer with clang in BUILD (default build/fuzz) and runs it for SECONDS
# (default 20). CTest passes a folder inside the test build tree.
# Usage: tests/fuzz/fuzz.sh [SECONDS] [BUILD]
set -euo pipefail

seconds=${1:-20}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${2:-$root/build/fuzz}

if ! command -v clang++ > /dev/null 2>&1; then
    echo "fuzz.sh: skipped: clang++ is not installed (libFuzzer needs clang)"
    exit 0
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }\n' > "$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" > /dev/null 2>&1; then
    echo "fuzz.sh: skipped: clang++ cannot link libFuzzer with the address and undefined-behaviour sanitizers"
    exit 0
fi

mkdir -p "$build"
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build/configure.log" \
    || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" --target fuzz_inidocument -j2

# New inputs go to a working corpus in the build folder; the committed seeds stay as they are.
mkdir -p "$build/corpus"
"$build/fuzz_inidocument" "$build/corpus" "$here/corpus" \
    -max_total_time="$seconds" -max_len=1024 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/" -print_final_stats=1
