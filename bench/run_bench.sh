#!/usr/bin/env bash
# Side-by-side timing of sorvik-cli against cp -a and rsync -a on the trees made by
# generate_trees.py.  Every phase runs ROUNDS rounds; inside a round the commands run one after
# another in an order that rotates from round to round, and the report gives the median of the
# per-round ratios (so slow spells caused by other load hit both sides of a ratio alike).
#
# Every copy goes to a fresh folder that is never deleted before the end of the run: on this
# machine ext4 creates new files very slowly for minutes after a mass delete, which would make
# any copy timed right after an rm -rf meaningless.
#
# Environment:
#   SORVIK    sorvik-cli binary          (default: ../build-bench/cli/sorvik-cli)
#   WINDOW    sorvik-window-run binary, for the tool "window" (default: ../build-bench/bench/...)
#   WORK      work folder                (default: bench/work)
#   OUT       raw figures and summary    (default: bench/out)
#   ROUNDS    timed rounds per phase     (default: 5)
#   PHASES    phases to run, subset of "A C D B U" (default: all; U = unchanged re-run of A)
#   TOOLS     tools for the full-backup phases (default: "sorvik cp rsync"; "window" adds a
#             run through the window, see window_run.cpp)
#   COPIES    folder for the copies (default: WORK/copies; give a new one to add a run)
#   MIN_FREE_GIB  free space kept before a phase; below it finished phases' copies are removed
#                 and the script waits SETTLE seconds (default: 20 GiB, 300 s)
#   KEEP=1    keep bench/work at the end (default: remove trees and copies)
set -euo pipefail

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SORVIK=${SORVIK:-$BENCH_DIR/../build-bench/cli/sorvik-cli}
SORVIK=$(realpath "$SORVIK")
WINDOW=${WINDOW:-$BENCH_DIR/../build-bench/bench/sorvik-window-run}
WORK=${WORK:-$BENCH_DIR/work}
OUT=${OUT:-$BENCH_DIR/out}
ROUNDS=${ROUNDS:-5}
PHASES=${PHASES:-"A C D B U"}
MIN_FREE_GIB=${MIN_FREE_GIB:-20}
SETTLE=${SETTLE:-300}
KEEP=${KEEP:-0}
read -r -a TOOL_LIST <<<"${TOOLS:-sorvik cp rsync}"

TREES=$WORK/trees
COPIES=${COPIES:-$WORK/copies}
RAW=$OUT/raw.csv
LOG=$OUT/run.log

mkdir -p "$WORK" "$OUT" "$COPIES"
WORK=$(realpath "$WORK")
TREES=$WORK/trees
COPIES=$(realpath "$COPIES")

log() { printf '%s %s\n' "$(date +%H:%M:%S)" "$*" | tee -a "$LOG"; }

[[ -x $SORVIK ]] || { echo "sorvik-cli not found at $SORVIK (build it first, see README.md)" >&2; exit 2; }
command -v rsync >/dev/null || { echo "rsync is missing (apt-get install -y rsync)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is missing (apt-get install -y time)" >&2; exit 2; }

: >"$LOG"
log "machine: $(nproc) cores, $(free -h | awk '/^Mem:/{print $2}') memory, kernel $(uname -r)"
log "work folder $WORK on $(findmnt -n -o FSTYPE -T "$WORK") ($(findmnt -n -o OPTIONS -T "$WORK"))"
log "date: $(date)"
log "rsync: $(rsync --version | head -1); cp: $(cp --version | head -1)"
log "free space before: $(df -h --output=avail "$WORK" | tail -1 | tr -d ' ')"

# --- source trees ---------------------------------------------------------------------------
# Only the trees the chosen phases read (the unchanged re-run U reads A).
wanted=""
for p in $PHASES; do [[ $p == U ]] && wanted+=A || wanted+=$p; done
TREE_LIST=()
for t in A B C D; do [[ $wanted == *$t* ]] && TREE_LIST+=("$t"); done
need=""
for t in "${TREE_LIST[@]}"; do [[ -d $TREES/$t ]] || need+=$t; done
if [[ -n $need ]]; then
    log "generating trees $need"
    python3 "$BENCH_DIR/generate_trees.py" "$TREES" --trees "$need" | tee -a "$LOG"
    sync
fi

# Page cache cannot be dropped here (no permission), so the sources are kept warm instead:
# read every file once before timing; each tool then reads from cache alike.
log "warming the page cache with the source trees"
for t in "${TREE_LIST[@]}"; do find "$TREES/$t" -type f -exec cat {} + >/dev/null; done

echo "phase,round,position,tool,seconds,seconds_with_sync,max_rss_kib,exit" >"$RAW"

free_gib() { df -B1G --output=avail "$WORK" | tail -1 | tr -d ' '; }

# Removes the copies of finished phases when space runs short, then lets the file system settle
# before anything else is timed.
ensure_space() {
    local free; free=$(free_gib)
    if (( free < MIN_FREE_GIB )); then
        log "only ${free} GiB free: removing earlier copies, then sync and wait ${SETTLE} s"
        rm -rf "${COPIES:?}"/*
        sync
        sleep "$SETTLE"
        log "free after clean-up: $(free_gib) GiB (this clean-up happened between phases)"
    fi
}

# run_one PHASE ROUND POSITION TOOL DEST_OR_EMPTY -- COMMAND...
# Flushes dirty data first (untimed), then times the command alone and the command followed by
# sync.  /usr/bin/time -v wraps every command in the same way, so its cost is the same for all.
run_one() {
    local phase=$1 round=$2 pos=$3 tool=$4; shift 5
    local tv="$OUT/time-$phase-$round-$tool.txt"
    sync
    local t0 t1 t2 rc=0
    t0=$EPOCHREALTIME
    /usr/bin/time -v -o "$tv" "$@" >>"$OUT/commands.log" 2>&1 || rc=$?
    t1=$EPOCHREALTIME
    sync
    t2=$EPOCHREALTIME
    local rss; rss=$(awk -F': ' '/Maximum resident set size/{print $2}' "$tv")
    local a b
    a=$(awk -v s="$t0" -v e="$t1" 'BEGIN{printf "%.4f", e - s}')
    b=$(awk -v s="$t0" -v e="$t2" 'BEGIN{printf "%.4f", e - s}')
    echo "$phase,$round,$pos,$tool,$a,$b,$rss,$rc" >>"$RAW"
    log "  $phase r$round #$pos $tool: ${a} s, with sync ${b} s, max RSS ${rss} KiB, exit $rc"
    if (( rc != 0 )); then log "  WARNING: $tool exited with $rc (see $OUT/commands.log)"; fi
}

# full_phase TREE: fresh full copies by the three tools, ROUNDS rounds.
full_phase() {
    local tree=$1 src=$TREES/$1 dir=$COPIES/$1
    mkdir -p "$dir"
    local tools=("${TOOL_LIST[@]}")
    log "phase $tree: full backup, $ROUNDS rounds"
    for ((r = 1; r <= ROUNDS; r++)); do
        for ((i = 0; i < ${#tools[@]}; i++)); do
            local tool=${tools[$(((i + r) % ${#tools[@]}))]}
            local dest=$dir/r${r}_$tool
            case $tool in
                sorvik) run_one "$tree" "$r" "$i" sorvik "$dest" -- "$SORVIK" run "$src" "$dest" --quiet ;;
                window) run_one "$tree" "$r" "$i" window "$dest" -- "$WINDOW" "$src" "$dest" ;;
                cp) run_one "$tree" "$r" "$i" cp "$dest" -- cp -a "$src" "$dest" ;;
                rsync) run_one "$tree" "$r" "$i" rsync "$dest" -- rsync -a "$src/" "$dest/" ;;
            esac
        done
    done
}

# Unchanged re-run of A over an existing copy (made once, untimed, by the same tool).
unchanged_phase() {
    local src=$TREES/A dir=$COPIES/U
    mkdir -p "$dir"
    log "phase U: preparing the existing copies of A (untimed)"
    [[ -d $dir/sorvik ]] || "$SORVIK" run "$src" "$dir/sorvik" --quiet
    [[ -d $dir/rsync ]] || rsync -a "$src/" "$dir/rsync/"
    sync
    # One untimed pass each so both start with the copies' metadata in cache.
    "$SORVIK" run "$src" "$dir/sorvik" --time-rule --quiet
    rsync -a "$src/" "$dir/rsync/"
    log "phase U: unchanged re-run of A, $ROUNDS rounds"
    local tools=(sorvik rsync)
    for ((r = 1; r <= ROUNDS; r++)); do
        for ((i = 0; i < 2; i++)); do
            local tool=${tools[$(((i + r) % 2))]}
            case $tool in
                sorvik) run_one U "$r" "$i" sorvik - -- "$SORVIK" run "$src" "$dir/sorvik" --time-rule --quiet ;;
                rsync) run_one U "$r" "$i" rsync - -- rsync -a "$src/" "$dir/rsync/" ;;
            esac
        done
    done
}

# Checks (untimed) that the first round's copies equal the source in contents, mtimes and modes:
# rsync in dry-run mode with checksums lists every file that would change.
verify_copies() {
    for t in A B C D; do
        for tool in sorvik cp rsync; do
            local dest=$COPIES/$t/r1_$tool
            [[ -d $dest ]] || continue
            local files dirs
            read -r files dirs < <(rsync -a --checksum --dry-run --itemize-changes \
                "$TREES/$t/" "$dest/" | awk '/^[.c]d/ {d++; next} NF {f++} END {print f + 0, d + 0}')
            log "verify $t/$tool: $files files and $dirs folders differ from the source"
        done
    done
}

log "phases: $PHASES, rounds: $ROUNDS, tools: ${TOOL_LIST[*]}, sorvik-cli: $SORVIK"
# Untimed warm-up of the three tools (binaries and libraries into cache) on one top folder of
# the first tree in use (of tree D: 100 folders, 2,000 empty files).
warm_src=$(find "$TREES/${TREE_LIST[-1]}" -mindepth 1 -maxdepth 1 -type d | sort | head -1)
mkdir -p "$COPIES/warmup"
"$SORVIK" run "$warm_src" "$COPIES/warmup/sorvik" --quiet
cp -a "$warm_src" "$COPIES/warmup/cp"
rsync -a "$warm_src/" "$COPIES/warmup/rsync/"

for phase in $PHASES; do
    ensure_space
    case $phase in
        A | B | C | D) full_phase "$phase" ;;
        U) unchanged_phase ;;
        *) echo "unknown phase $phase" >&2; exit 2 ;;
    esac
done

verify_copies
log "free space after: $(df -h --output=avail "$WORK" | tail -1 | tr -d ' ')"

python3 "$BENCH_DIR/summarize.py" "$RAW" | tee "$OUT/summary.md"

if [[ $KEEP != 1 ]]; then
    log "removing $WORK (trees and copies)"
    rm -rf "${WORK:?}"
    sync
fi
log "done"
