#!/usr/bin/env bash
# Builds Sorvik and runs every test twice: in a normal build, and in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, with clang-tidy's checks between the two; then
# runs each fuzz target for a while; then cross-builds the Windows executables (and, once, the
# static Qt they link), runs every suite under Wine with code page 932 and packs the Windows zip.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh

jobs=$(nproc)
run_suite() {
    local folder=$1
    shift
    cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVIK_WARNINGS_AS_ERRORS=ON "$@" \
        >/dev/null
    cmake --build "$folder" -j "$jobs"
    ctest --test-dir "$folder" --output-on-failure -j "$jobs"
}

echo "== Tests"
run_suite build
echo "== clang-tidy"
bash scripts/tidy.sh
echo "== Tests with sanitizers"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite build-sanitize -DSORVIK_SANITIZE=ON
echo "== Fuzzing"
bash scripts/fuzz.sh
echo "== Windows build, tests under Wine"
bash scripts/build-windows.sh build-windows
bash scripts/test-windows.sh build-windows
echo "== Windows zip"
bash scripts/package-windows.sh build-windows
