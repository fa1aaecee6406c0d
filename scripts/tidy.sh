#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: naming and bugprone checks) over the product code and fails on any
# finding. Needs a configured build folder for its compile commands; the default is build/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
# Qt's generated sources and the tests are not ours to name.
mapfile -t sources < <(git ls-files 'platform/*.cpp' 'engine/*.cpp' 'lists/*.cpp' 'frontend/*.cpp' \
                                    'cli/*.cpp' 'app/*.cpp' | grep -v '_win\.cpp$')
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet >"$log" 2>/dev/null || true
if grep -E 'warning:|error:' "$log"; then
    echo "clang-tidy found the above." >&2
    exit 1
fi
echo "clang-tidy: no findings in ${#sources[@]} files."
