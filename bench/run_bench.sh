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
#   PHASES    phases to run, subset of "A C D B U G" (default: "A C D B U"; U = unchanged
#             re-run of A, G = growth: full backups of G10, G50 and G200)
#   TOOLS     tools for the full-backup phases (default: "sorvik cp rsync"; "window" adds a
#             run through the window, see window_run.cpp; "sorvik-jN" is sorvik-cli with
#             --jobs N, plain "sorvik" lets the program choose).  Phase G runs the tools of
#             TOOLS, or only "sorvik" when TOOLS is not set; phase U runs the sorvik forms
#             among them against rsync.
#   G_SCALE   factor for the size of the G trees, for a quick try of the scripts (default: 1)
#   DRY_RUN=1 only print the timed commands; builds, reads and writes nothing
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
G_SCALE=${G_SCALE:-1}
DRY_RUN=${DRY_RUN:-0}
read -r -a TOOL_LIST <<<"${TOOLS:-sorvik cp rsync}"
# Phase G writes ~2.7 GB per tool and round; cp and rsync join it only when asked for.
read -r -a G_TOOL_LIST <<<"${TOOLS:-sorvik}"
# Phase U: the forms of sorvik-cli among the tools, each over its own copy, against rsync.
U_TOOL_LIST=()
for tool in "${TOOL_LIST[@]}"; do [[ $tool == sorvik || $tool == sorvik-j* ]] && U_TOOL_LIST+=("$tool"); done
(( ${#U_TOOL_LIST[@]} )) || U_TOOL_LIST=(sorvik)
U_TOOL_LIST+=(rsync)
GROWTH_TREES=(G10 G50 G200)

for tool in "${TOOL_LIST[@]}"; do
    [[ $tool =~ ^(sorvik|sorvik-j[1-9][0-9]*|window|cp|rsync)$ ]] ||
        { echo "unknown tool $tool (sorvik, sorvik-jN, window, cp, rsync)" >&2; exit 2; }
done
for phase in $PHASES; do
    [[ $phase =~ ^[ABCDUG]$ ]] || { echo "unknown phase $phase" >&2; exit 2; }
done

TREES=$WORK/trees
COPIES=${COPIES:-$WORK/copies}
RAW=$OUT/raw.csv
LOG=$OUT/run.log

if [[ $DRY_RUN == 1 ]]; then
    LOG=/dev/null   # leaves the log of a real run alone
else
    mkdir -p "$WORK" "$OUT" "$COPIES"
fi
WORK=$(realpath -m "$WORK")
TREES=$WORK/trees
COPIES=$(realpath -m "$COPIES")
# The work folder, or in a dry run the nearest folder above it that exists, for df.
SPACE_PROBE=$WORK
while [[ ! -e $SPACE_PROBE ]]; do SPACE_PROBE=$(dirname "$SPACE_PROBE"); done

log() { printf '%s %s\n' "$(date +%H:%M:%S)" "$*" | tee -a "$LOG"; }

if [[ $DRY_RUN != 1 ]]; then
    [[ -x $SORVIK ]] || { echo "sorvik-cli not found at $SORVIK (build it first, see README.md)" >&2; exit 2; }
    command -v rsync >/dev/null || { echo "rsync is missing (apt-get install -y rsync)" >&2; exit 2; }
    [[ -x /usr/bin/time ]] || { echo "/usr/bin/time is missing (apt-get install -y time)" >&2; exit 2; }
    : >"$LOG"
fi

log "machine: $(nproc) cores, $(free -h | awk '/^Mem:/{print $2}') memory, kernel $(uname -r)"
log "work folder $WORK on $(findmnt -n -o FSTYPE -T "$SPACE_PROBE") ($(findmnt -n -o OPTIONS -T "$SPACE_PROBE"))"
log "date: $(date)"
[[ $DRY_RUN == 1 ]] || log "rsync: $(rsync --version | head -1); cp: $(cp --version | head -1)"
log "free space before: $(df -h --output=avail "$SPACE_PROBE" | tail -1 | tr -d ' ')"

free_gib() { df -B1G --output=avail "$SPACE_PROBE" | tail -1 | tr -d ' '; }

# --- source trees ---------------------------------------------------------------------------
# Only the trees the chosen phases read (the unchanged re-run U reads A, the growth phase G
# reads G10, G50 and G200).
declare -A wanted=()
for p in $PHASES; do
    case $p in
        U) wanted[A]=1 ;;
        G) for t in "${GROWTH_TREES[@]}"; do wanted[$t]=1; done ;;
        *) wanted[$p]=1 ;;
    esac
done
TREE_LIST=()
for t in A B C D "${GROWTH_TREES[@]}"; do [[ -n ${wanted[$t]:-} ]] && TREE_LIST+=("$t"); done
need=()
for t in "${TREE_LIST[@]}"; do [[ -d $TREES/$t ]] || need+=("$t"); done

# Space phase G needs, in GiB: a copy of the three trees per tool and round (nothing is deleted
# before the end), plus the trees themselves when they are still to be made.  A file of 1-16 KiB
# takes 10.4 KiB on ext4 on average, its share of a folder 0.2 KiB; 11 KiB leaves a margin.
growth_need_gib() {
    local files=$((10000 + 50000 + 200000)) missing=0 t
    for t in "${need[@]}"; do [[ $t == G* ]] && missing=$((missing + ${t#G} * 1000)); done
    awk -v f="$files" -v m="$missing" -v s="$G_SCALE" -v n="$ROUNDS" -v k="${#G_TOOL_LIST[@]}" \
        'BEGIN { printf "%d", (f * n * k + m) * s * 11 / 1048576 + 1.999 }'
}
if [[ " $PHASES " == *" G "* ]]; then
    g_need=$(growth_need_gib)
    log "phase G needs about $g_need GiB ($ROUNDS rounds x ${#G_TOOL_LIST[@]} tools x 3 trees); $(free_gib) GiB free"
    if (( $(free_gib) < g_need )); then
        log "WARNING: not enough free space for phase G; lower ROUNDS, TOOLS or G_SCALE, or make room"
        [[ $DRY_RUN == 1 ]] || exit 3
    fi
fi

if [[ $DRY_RUN != 1 ]]; then
    if (( ${#need[@]} )); then
        log "generating trees ${need[*]}"
        python3 "$BENCH_DIR/generate_trees.py" "$TREES" --trees "${need[@]}" --scale "$G_SCALE" |
            tee -a "$LOG"
        sync
    fi

    # Page cache cannot be dropped here (no permission), so the sources are kept warm instead:
    # read every file once before timing; each tool then reads from cache alike.
    log "warming the page cache with the source trees"
    for t in "${TREE_LIST[@]}"; do find "$TREES/$t" -type f -exec cat {} + >/dev/null; done

    # Files per tree, for the time per file in the summary (the G trees may be scaled down).
    echo "tree,files" >"$OUT/trees.csv"
    for t in "${TREE_LIST[@]}"; do
        echo "$t,$(find "$TREES/$t" -type f | wc -l)" >>"$OUT/trees.csv"
    done

    echo "phase,round,position,tool,seconds,seconds_with_sync,max_rss_kib,exit" >"$RAW"
fi

# Removes the copies of finished phases when space runs short (below MIN_FREE_GIB, or below
# the GiB given), then lets the file system settle before anything else is timed.
ensure_space() {
    local free; free=$(free_gib)
    local want=${1:-$MIN_FREE_GIB}
    (( want >= MIN_FREE_GIB )) || want=$MIN_FREE_GIB
    [[ $DRY_RUN == 1 ]] && return
    if (( free < want )); then
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
    if [[ $DRY_RUN == 1 ]]; then
        [[ $1 == -- ]] && shift
        log "  $phase r$round #$pos $tool: $*"
        return
    fi
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

# tool_cmd TOOL SRC DEST [OPTION...]: puts into CMD the command by which TOOL copies SRC to
# DEST; the options go to sorvik-cli only.  "sorvik-jN" adds --jobs N, plain "sorvik" leaves the
# number of workers to the program.
tool_cmd() {
    local tool=$1 src=$2 dest=$3; shift 3
    case $tool in
        sorvik) CMD=("$SORVIK" run "$src" "$dest" "$@" --quiet) ;;
        sorvik-j*) CMD=("$SORVIK" run "$src" "$dest" "$@" --quiet --jobs "${tool#sorvik-j}") ;;
        window) CMD=("$WINDOW" "$src" "$dest") ;;
        cp) CMD=(cp -a "$src" "$dest") ;;
        rsync) CMD=(rsync -a "$src/" "$dest/") ;;
    esac
}

# full_phase TREE: fresh full copies by every tool, ROUNDS rounds.
full_phase() {
    local tree=$1 src=$TREES/$1 dir=$COPIES/$1
    [[ $DRY_RUN == 1 ]] || mkdir -p "$dir"
    local tools=("${TOOL_LIST[@]}")
    log "phase $tree: full backup, $ROUNDS rounds"
    for ((r = 1; r <= ROUNDS; r++)); do
        for ((i = 0; i < ${#tools[@]}; i++)); do
            local tool=${tools[$(((i + r) % ${#tools[@]}))]}
            local dest=$dir/r${r}_$tool
            tool_cmd "$tool" "$src" "$dest"
            run_one "$tree" "$r" "$i" "$tool" "$dest" -- "${CMD[@]}"
        done
    done
}

# Growth: fresh full copies of G10, G50 and G200 by every tool of G_TOOL_LIST.  All tree and
# tool pairs of a round run interleaved in one rotating order, so the three sizes of one tool
# meet the same load as far as possible and the per-round ratio of their times per file holds.
growth_phase() {
    local pairs=() tree tool
    for tree in "${GROWTH_TREES[@]}"; do
        [[ $DRY_RUN == 1 ]] || mkdir -p "$COPIES/$tree"
        for tool in "${G_TOOL_LIST[@]}"; do pairs+=("$tree $tool"); done
    done
    log "phase G: full backup of ${GROWTH_TREES[*]}, $ROUNDS rounds, tools ${G_TOOL_LIST[*]}"
    for ((r = 1; r <= ROUNDS; r++)); do
        for ((i = 0; i < ${#pairs[@]}; i++)); do
            read -r tree tool <<<"${pairs[$(((i + r) % ${#pairs[@]}))]}"
            local dest=$COPIES/$tree/r${r}_$tool
            tool_cmd "$tool" "$TREES/$tree" "$dest"
            run_one "$tree" "$r" "$i" "$tool" "$dest" -- "${CMD[@]}"
        done
    done
}

# Unchanged re-run of A over an existing copy (made once, untimed, by the same tool; every form
# of sorvik-cli has its own copy).
unchanged_phase() {
    local src=$TREES/A dir=$COPIES/U tool
    local tools=("${U_TOOL_LIST[@]}")
    if [[ $DRY_RUN != 1 ]]; then
        mkdir -p "$dir"
        log "phase U: preparing the existing copies of A (untimed)"
        for tool in "${tools[@]}"; do
            tool_cmd "$tool" "$src" "$dir/$tool"
            [[ -d $dir/$tool ]] || "${CMD[@]}"
        done
        sync
        # One untimed pass each so all start with the copies' metadata in cache.
        for tool in "${tools[@]}"; do
            tool_cmd "$tool" "$src" "$dir/$tool" --time-rule
            "${CMD[@]}"
        done
    fi
    log "phase U: unchanged re-run of A, $ROUNDS rounds, tools ${tools[*]}"
    for ((r = 1; r <= ROUNDS; r++)); do
        for ((i = 0; i < ${#tools[@]}; i++)); do
            tool=${tools[$(((i + r) % ${#tools[@]}))]}
            tool_cmd "$tool" "$src" "$dir/$tool" --time-rule
            run_one U "$r" "$i" "$tool" - -- "${CMD[@]}"
        done
    done
}

# Checks (untimed) that the first round's copies equal the source in contents, mtimes and modes:
# rsync in dry-run mode with checksums lists every file that would change.
verify_copies() {
    local tools=("${TOOL_LIST[@]}" "${G_TOOL_LIST[@]}")
    for t in A B C D "${GROWTH_TREES[@]}"; do
        for tool in $(printf '%s\n' "${tools[@]}" | sort -u); do
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
if [[ $DRY_RUN != 1 ]]; then
    # Untimed warm-up of the three tools (binaries and libraries into cache) on one top folder
    # of the last tree in use (of tree D: 100 folders, 2,000 empty files).
    warm_src=$(find "$TREES/${TREE_LIST[-1]}" -mindepth 1 -maxdepth 1 -type d | sort | head -1)
    mkdir -p "$COPIES/warmup"
    "$SORVIK" run "$warm_src" "$COPIES/warmup/sorvik" --quiet
    cp -a "$warm_src" "$COPIES/warmup/cp"
    rsync -a "$warm_src/" "$COPIES/warmup/rsync/"
fi

for phase in $PHASES; do
    case $phase in
        A | B | C | D) ensure_space; full_phase "$phase" ;;
        U) ensure_space; unchanged_phase ;;
        G)
            ensure_space "$g_need"
            if (( $(free_gib) < g_need )); then
                # Only when earlier phases' copies were not enough to free; the check at the
                # start stops the run when the file system is too small anyway.
                log "WARNING: only $(free_gib) GiB free, phase G needs $g_need GiB: phase G skipped"
                [[ $DRY_RUN == 1 ]] || continue
            fi
            growth_phase
            ;;
    esac
done

[[ $DRY_RUN == 1 ]] && exit 0
verify_copies
log "free space after: $(df -h --output=avail "$WORK" | tail -1 | tr -d ' ')"

python3 "$BENCH_DIR/summarize.py" "$RAW" | tee "$OUT/summary.md"

if [[ $KEEP != 1 ]]; then
    log "removing $WORK (trees and copies)"
    rm -rf "${WORK:?}"
    sync
fi
log "done"
