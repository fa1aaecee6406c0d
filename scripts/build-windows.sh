#!/usr/bin/env bash
# Cross-builds sorvik-cli.exe and the core test programs for 64-bit Windows with mingw-w64, into
# build-windows/ (or the folder given as the first argument). Needs the packages that
# install-dependencies.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."

folder=${1:-build-windows}
cmake -S . -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVIK_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$folder" -j "$(nproc)"
