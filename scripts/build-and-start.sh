#!/usr/bin/env bash
# Builds Sorvik and starts its window. Needs a desktop session (X11, or Wayland with XWayland).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No desktop session here (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "The command line works without one: ./build/cli/sorvik-cli --help" >&2
    exit 1
fi
exec ./build/app/sorvik "$@"
