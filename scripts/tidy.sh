#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: naming and bugprone checks) over the product code and fails on any
# finding in it. It configures a build folder of its own (default build-tidy) for the compile
# commands; nothing needs to be built first.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-tidy}
cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DSORVIK_BUILD_TESTS=OFF >/dev/null
mapfile -t sources < <(git ls-files 'platform/*.cpp' 'engine/*.cpp' 'lists/*.cpp' 'frontend/*.cpp' \
                                    'cli/*.cpp' 'app/*.cpp' | grep -v '_win\.cpp$')
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet >"$log" 2>/dev/null || true
# Only findings placed in Sorvik's own files count; clang-tidy 14 also prints unplaced notes about
# the compiler's internal names.
if grep -E "^$PWD/(platform|engine|lists|frontend|cli|app)/[^:]+:[0-9]+:[0-9]+: (warning|error):" \
        "$log"; then
    echo "clang-tidy found the above." >&2
    exit 1
fi
echo "clang-tidy: no findings in ${#sources[@]} files."
