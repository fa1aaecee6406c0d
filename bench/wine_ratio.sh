#!/usr/bin/env bash
# The Windows build of sorvik-cli under Wine against the Linux build, on the same tree: a full
# backup into a fresh folder and an unchanged re-run with the time rule. Wine is not Windows, so
# only the ratio means anything, and only as a hint of what the Win32 layer costs.
#
# Environment:
#   LINUX_CLI    Linux sorvik-cli   (default: ../build-bench/cli/sorvik-cli)
#   WINDOWS_CLI  sorvik-cli.exe     (default: ../build-windows/cli/sorvik-cli.exe)
#   TREE         source tree        (default: WORK/trees/A, made by generate_trees.py)
#   WORK         work folder        (default: bench/work)
#   ROUNDS       interleaved rounds (default: 7)
#   JOBS         when set, both programs run with --jobs JOBS (default: unset, their own choice)
#   WINEPREFIX   Wine prefix        (default: ~/.cache/sorvik/wine-prefix, as the Windows tests)
set -euo pipefail

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
LINUX_CLI=$(realpath "${LINUX_CLI:-$BENCH_DIR/../build-bench/cli/sorvik-cli}")
WINDOWS_CLI=$(realpath "${WINDOWS_CLI:-$BENCH_DIR/../build-windows/cli/sorvik-cli.exe}")
WORK=${WORK:-$BENCH_DIR/work}
TREE=${TREE:-$WORK/trees/A}
ROUNDS=${ROUNDS:-7}
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/sorvik/wine-prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
jobs_opt=()
[[ -z ${JOBS:-} ]] || jobs_opt=(--jobs "$JOBS")

[[ -d $TREE ]] || python3 "$BENCH_DIR/generate_trees.py" "$WORK/trees" --trees A
copies=$WORK/wine-copies
mkdir -p "$copies"
mkdir -p "$WINEPREFIX"
wineserver -p
wine cmd /c exit
trap 'wineserver -k || true' EXIT

# Seconds taken by one command, the flush of everything it wrote included.
seconds() {
    sync
    local start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || true
    sync
    echo "$EPOCHREALTIME - $start" | bc
}

median() { sort -g | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

full=() rerun=()
for round in $(seq 1 "$ROUNDS"); do
    linux=$(seconds "$LINUX_CLI" run "$TREE" "$copies/linux-$round" --quiet "${jobs_opt[@]}")
    windows=$(seconds wine "$WINDOWS_CLI" run "$(winepath -w "$TREE")" \
        "$(winepath -w "$copies")\\windows-$round" --quiet "${jobs_opt[@]}")
    full+=("$(echo "$windows / $linux" | bc -l)")
    linux_again=$(seconds "$LINUX_CLI" run "$TREE" "$copies/linux-$round" --time-rule --quiet \
        "${jobs_opt[@]}")
    windows_again=$(seconds wine "$WINDOWS_CLI" run "$(winepath -w "$TREE")" \
        "$(winepath -w "$copies")\\windows-$round" --time-rule --quiet "${jobs_opt[@]}")
    rerun+=("$(echo "$windows_again / $linux_again" | bc -l)")
    printf 'round %d: full %.2f s / %.2f s, re-run %.2f s / %.2f s (Wine / Linux)\n' \
        "$round" "$windows" "$linux" "$windows_again" "$linux_again"
done
[[ -z ${JOBS:-} ]] || echo "both with --jobs $JOBS"
printf 'median Wine/Linux: full backup %.2f, unchanged re-run %.2f\n' \
    "$(printf '%s\n' "${full[@]}" | median)" "$(printf '%s\n' "${rerun[@]}" | median)"
echo "copies left in $copies"
