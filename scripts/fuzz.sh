#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang++ in build-fuzz and runs each for a while
# (FUZZ_SECONDS, 20 by default) from a copy of its seed corpus. Prints the executions per target
# and fails when any target finds a crash or a broken property; the input that did it is kept in
# build-fuzz/fuzz-artifacts. Without clang++ or its fuzzer runtime there is nothing to run: the
# script says so and succeeds.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-20}
jobs=${FUZZ_JOBS:-$(nproc)}
build=build-fuzz
targets=(
    list_file_fuzz
    settings_file_fuzz
    extension_file_fuzz
    field_reader_fuzz
    code_page_fuzz
    command_line_fuzz
)

scratch=$(mktemp -d "${TMPDIR:-/tmp}/sorvik-fuzz-run-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

compiler=""
for candidate in clang++ clang++-19 clang++-18 clang++-17 clang++-16 clang++-15 clang++-14; do
    if command -v "$candidate" >/dev/null 2>&1; then
        compiler=$(command -v "$candidate")
        break
    fi
done
if [ -z "$compiler" ]; then
    echo "fuzz: clang++ is not installed; skipping the fuzz targets." >&2
    exit 0
fi
# The runtime comes in a package of its own (libclang-rt-NN-dev on Debian): try a link.
printf '#include <cstddef>\n#include <cstdint>\nextern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }\n' \
    >"$scratch/probe.cpp"
if ! "$compiler" -fsanitize=fuzzer,address,undefined "$scratch/probe.cpp" -o "$scratch/probe" \
    >"$scratch/probe.log" 2>&1; then
    echo "fuzz: $compiler cannot link libFuzzer with the sanitizers (is libclang-rt-dev" \
        "installed?); skipping the fuzz targets." >&2
    sed 's/^/    /' "$scratch/probe.log" >&2
    exit 0
fi

echo "== Building the fuzz targets with $compiler"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$compiler" \
    -DSORVIK_BUILD_FUZZERS=ON -DSORVIK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

artifacts="$PWD/$build/fuzz-artifacts"
logs="$PWD/$build/fuzz-logs"
mkdir -p "$logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
summary=()
for target in "${targets[@]}"; do
    echo "== $target, ${seconds} s"
    corpus="$scratch/$target"
    cp -r "tests/fuzz/corpus/$target" "$corpus"
    mkdir -p "$artifacts/$target"
    log="$logs/$target.log"
    status=0
    "$build/tests/fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$target/" >"$log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    executions=${executions:-?}
    if [ "$status" -ne 0 ]; then
        failed+=("$target")
        summary+=("$(printf '%-22s %12s executions  FAILED (exit %d)' "$target" "$executions" \
            "$status")")
        echo "$target failed; the end of $log:" >&2
        tail -n 60 "$log" >&2
        echo "The input is kept in $artifacts/$target/." >&2
    else
        summary+=("$(printf '%-22s %12s executions' "$target" "$executions")")
    fi
done

echo "== Fuzzing, ${seconds} s per target"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: ${#failed[@]} target(s) failed: ${failed[*]}" >&2
    exit 1
fi
