#!/usr/bin/env python3
"""Turns bench/out/raw.csv (written by run_bench.sh) into a Markdown summary.

Ratios are computed inside each round first (sorvik time / other tool's time from the same
round) and the median over rounds is reported, so load that changes between rounds cancels
out as far as possible.  Every form of sorvik-cli in the run ("sorvik", "sorvik-j1", ...) gets
the same comparisons; the "sorvik-jN" forms are also set against "sorvik-j1".  The growth
trees (G10, G50, G200) are reported as time per file, using the file counts in trees.csv
beside RAW_CSV when it exists.

Usage: summarize.py RAW_CSV
"""

import csv
import os
import statistics
import sys
from collections import defaultdict

MIB_KIB = 1024


def load(path):
    rows = defaultdict(dict)  # (phase, round) -> tool -> row
    with open(path, newline="") as f:
        for row in csv.DictReader(f):
            row["seconds"] = float(row["seconds"])
            row["seconds_with_sync"] = float(row["seconds_with_sync"])
            row["max_rss_kib"] = int(row["max_rss_kib"] or 0)
            row["exit"] = int(row["exit"])
            rows[(row["phase"], int(row["round"]))][row["tool"]] = row
    return rows


def per_round(rows, phase, fn):
    values = []
    for (p, _), tools in sorted(rows.items()):
        if p != phase:
            continue
        try:
            values.append(fn(tools))
        except KeyError:
            pass
    return values


def med(values):
    return statistics.median(values) if values else float("nan")


def spread(values):
    return f"{min(values):.2f}–{max(values):.2f}" if values else "n/a"


# Nominal number of files of the growth trees, for a raw.csv without trees.csv beside it.
GROWTH_FILES = {"G10": 10_000, "G50": 50_000, "G200": 200_000}
PHASE_ORDER = ["A", "B", "C", "D", *GROWTH_FILES, "U"]


def phase_key(phase):
    return (PHASE_ORDER.index(phase), "") if phase in PHASE_ORDER else (len(PHASE_ORDER), phase)


def is_sorvik(tool):
    """sorvik-cli in any of its forms: "sorvik" (workers chosen by the program) or "sorvik-jN"."""
    return tool == "sorvik" or (tool.startswith("sorvik-j") and tool[8:].isdigit())


def tool_key(tool):
    # sorvik first, then sorvik-j1, -j2, ... by number, then the others by name.
    if tool == "sorvik":
        return (0, 0, tool)
    if is_sorvik(tool):
        return (1, int(tool[8:]), tool)
    return (2, 0, tool)


def load_file_counts(raw_path):
    """Files per tree as counted by run_bench.sh (trees.csv next to raw.csv)."""
    counts = dict(GROWTH_FILES)
    path = os.path.join(os.path.dirname(os.path.abspath(raw_path)), "trees.csv")
    if os.path.exists(path):
        with open(path, newline="") as f:
            for row in csv.DictReader(f):
                counts[row["tree"]] = int(row["files"])
    return counts


def main():
    rows = load(sys.argv[1])
    files = load_file_counts(sys.argv[1])
    phases = sorted({p for p, _ in rows}, key=phase_key)
    growth = [p for p in GROWTH_FILES if p in phases]
    out = []
    failures = [(p, r, t) for (p, r), tools in rows.items() for t, row in tools.items()
                if row["exit"] != 0]

    def tools_of(phase):
        return sorted({t for (p, _), ts in rows.items() if p == phase for t in ts}, key=tool_key)

    out.append("### Median times (seconds) and peak memory\n")
    out.append("| phase | tool | rounds | command | command + sync | max RSS (MiB, median / max) |")
    out.append("|---|---|---|---|---|---|")
    for phase in phases:
        for tool in tools_of(phase):
            secs = per_round(rows, phase, lambda ts: ts[tool]["seconds"])
            synced = per_round(rows, phase, lambda ts: ts[tool]["seconds_with_sync"])
            rss = per_round(rows, phase, lambda ts: ts[tool]["max_rss_kib"] / MIB_KIB)
            out.append(f"| {phase} | {tool} | {len(secs)} | {med(secs):.3f} | {med(synced):.3f} "
                       f"| {med(rss):.1f} / {max(rss):.1f} |")

    def ratio(phase, a, a_key, b, b_key):
        return per_round(rows, phase, lambda ts: ts[a][a_key] / ts[b][b_key])

    # Every form of sorvik-cli in the run gets the same comparisons; the targets hold for each.
    variants = sorted({t for ts in rows.values() for t in ts if is_sorvik(t)}, key=tool_key)
    checks = []
    for v in variants:
        checks.append(("U", f"unchanged re-run of A: {v} --time-rule / rsync -a",
                       (v, "seconds", "rsync", "seconds"), 0.6))
    checks.append(("A", "full backup of A through the window: window / sorvik-cli",
                   ("window", "seconds", "sorvik", "seconds"), 1.1))
    for phase in phases:
        if phase == "U":
            continue
        if phase == "B":
            for v in variants:
                checks += [
                    ("B", f"B, wall + sync: ({v} + sync) / (cp -a + sync)",
                     (v, "seconds_with_sync", "cp", "seconds_with_sync"), 1.1),
                    ("B", f"B, wall + sync: ({v} + sync) / (rsync -a + sync)",
                     (v, "seconds_with_sync", "rsync", "seconds_with_sync"), None),
                    ("B", f"B, command only: {v} / cp -a",
                     (v, "seconds", "cp", "seconds"), None),
                ]
            continue
        target = 1.0 if phase == "A" else None
        for v in variants:
            checks += [
                (phase, f"full backup of {phase}: {v} / cp -a",
                 (v, "seconds", "cp", "seconds"), target),
                (phase, f"full backup of {phase}: {v} / (cp -a + sync)",
                 (v, "seconds", "cp", "seconds_with_sync"), None),
                (phase, f"full backup of {phase}: {v} / rsync -a",
                 (v, "seconds", "rsync", "seconds"), None),
                (phase, f"full backup of {phase}: {v} / (rsync -a + sync)",
                 (v, "seconds", "rsync", "seconds_with_sync"), None),
            ]

    out.append("\n### Median of per-round ratios (sorvik / other; below 1 means sorvik is faster)\n")
    out.append("| comparison | median ratio | range over rounds | target | met |")
    out.append("|---|---|---|---|---|")
    emit_checks(out, phases, checks, ratio)

    rss_rows = []
    for v in variants:
        rss = per_round(rows, "D", lambda ts: ts[v]["max_rss_kib"] / MIB_KIB)
        if rss:
            worst = max(rss)
            rss_rows.append(f"| peak memory of {v} on D (max over rounds) | {worst:.1f} MiB | "
                            f"{spread(rss)} MiB | ≤ 16 MiB | {'yes' if worst <= 16 else '**no**'} |")
    rs = per_round(rows, "D", lambda ts: ts["rsync"]["max_rss_kib"] / MIB_KIB)
    if rs:
        rss_rows.append(f"| peak memory of rsync -a on D (largest single process, see notes) "
                        f"| {max(rs):.1f} MiB | {spread(rs)} MiB | | |")
    out += rss_rows

    # Parallel forms against one file at a time, in every phase that has both.  B is compared
    # with the flush included, as against cp: its command time is mostly page cache.
    if "sorvik-j1" in variants:
        others = [v for v in variants if v != "sorvik-j1"]
        checks = []
        for phase in phases:
            for v in others:
                if phase == "B":
                    checks.append((phase, f"B, wall + sync: ({v} + sync) / (sorvik-j1 + sync)",
                                   (v, "seconds_with_sync", "sorvik-j1", "seconds_with_sync"),
                                   None))
                else:
                    checks.append((phase, f"{phase}: {v} / sorvik-j1",
                                   (v, "seconds", "sorvik-j1", "seconds"), None))
        if others:
            out.append("\n### Median of per-round ratios against one file at a time "
                       "(below 1 means faster than sorvik-j1)\n")
            out.append("| comparison | median ratio | range over rounds | target | met |")
            out.append("|---|---|---|---|---|")
            emit_checks(out, phases, checks, ratio)

    if growth:
        out += growth_report(rows, growth, files)

    if failures:
        out.append("\nCommands that exited non-zero: " +
                   ", ".join(f"{p} round {r} {t}" for p, r, t in sorted(failures)))
    print("\n".join(out))


def emit_checks(out, phases, checks, ratio):
    for phase, label, (a, ak, b, bk), target in checks:
        if phase not in phases:
            continue
        values = ratio(phase, a, ak, b, bk)
        if not values:
            continue
        m = med(values)
        met = "" if target is None else ("yes" if m <= target else "**no**")
        tgt = "" if target is None else f"≤ {target}"
        out.append(f"| {label} | {m:.3f} | {spread(values)} | {tgt} | {met} |")


def growth_report(rows, growth, files):
    """Time per file on the growth trees, and how far it moves between the smallest and the
    largest tree.  The spread is taken inside each round (largest / smallest time per file of
    that round's three runs of one tool) and its median reported, as for the other ratios."""
    target = 1.2
    out = ["\n### Growth: median time per file (µs) on trees of "
           + ", ".join(f"{files[t]:,}" for t in growth) + " files\n"]
    out.append("| tool | time | " + " | ".join(growth) + " | largest / smallest per round "
               "(median) | range over rounds | target | met |")
    out.append("|---|---|" + "---|" * len(growth) + "---|---|---|---|")
    tools = sorted({t for (p, _), ts in rows.items() if p in growth for t in ts}, key=tool_key)
    rounds = sorted({r for (p, r) in rows if p in growth})
    for tool in tools:
        for key, label in (("seconds", "command"), ("seconds_with_sync", "command + sync")):
            per_file = {}
            for tree in growth:
                per_file[tree] = per_round(
                    rows, tree, lambda ts: ts[tool][key] / files[tree] * 1e6)
            spreads = []
            for r in rounds:
                values = [rows[(tree, r)][tool][key] / files[tree]
                          for tree in growth if tool in rows.get((tree, r), {})]
                if len(values) == len(growth) and len(values) > 1:
                    spreads.append(max(values) / min(values))
            cells = " | ".join(f"{med(per_file[t]):.1f}" for t in growth)
            if spreads:
                m = med(spreads)
                tail = f"{m:.3f} | {spread(spreads)} | ≤ {target} | {'yes' if m <= target else '**no**'}"
            else:
                tail = "n/a | n/a | | "
            out.append(f"| {tool} | {label} | {cells} | {tail} |")
    return out


if __name__ == "__main__":
    main()
