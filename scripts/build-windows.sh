#!/usr/bin/env bash
# Cross-builds sorvik.exe, sorvik-cli.exe and the test programs for 64-bit Windows with
# mingw-w64, into build-windows/ (or the folder given as the first argument), against the static
# Qt that build-qt-windows.sh makes or takes from its cache. Needs the packages that
# install-dependencies.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."

folder=${1:-build-windows}
qt=$(bash scripts/build-qt-windows.sh | tail -n 1)
cmake -S . -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DSORVIK_WINDOWS_QT="$qt" -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVIK_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$folder" -j "$(nproc)"
