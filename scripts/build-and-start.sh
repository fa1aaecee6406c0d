#!/usr/bin/env bash
# Builds Sorvik and starts it. Arguments are passed on to sorvik-cli; without any it shows its help.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ $# -eq 0 ]; then
    set -- --help
fi
exec ./build/cli/sorvik-cli "$@"
