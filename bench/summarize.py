#!/usr/bin/env python3
"""Turns bench/out/raw.csv (written by run_bench.sh) into a Markdown summary.

Ratios are computed inside each round first (sorvik time / other tool's time from the same
round) and the median over rounds is reported, so load that changes between rounds cancels
out as far as possible.

Usage: summarize.py RAW_CSV
"""

import csv
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


def main():
    rows = load(sys.argv[1])
    phases = sorted({p for p, _ in rows})
    out = []
    failures = [(p, r, t) for (p, r), tools in rows.items() for t, row in tools.items()
                if row["exit"] != 0]

    out.append("### Median times (seconds) and peak memory\n")
    out.append("| phase | tool | rounds | command | command + sync | max RSS (MiB, median / max) |")
    out.append("|---|---|---|---|---|---|")
    for phase in phases:
        tools = sorted({t for (p, _), ts in rows.items() if p == phase for t in ts})
        for tool in tools:
            secs = per_round(rows, phase, lambda ts: ts[tool]["seconds"])
            synced = per_round(rows, phase, lambda ts: ts[tool]["seconds_with_sync"])
            rss = per_round(rows, phase, lambda ts: ts[tool]["max_rss_kib"] / MIB_KIB)
            out.append(f"| {phase} | {tool} | {len(secs)} | {med(secs):.3f} | {med(synced):.3f} "
                       f"| {med(rss):.1f} / {max(rss):.1f} |")

    def ratio(phase, a, a_key, b, b_key):
        return per_round(rows, phase, lambda ts: ts[a][a_key] / ts[b][b_key])

    out.append("\n### Median of per-round ratios (sorvik / other; below 1 means sorvik is faster)\n")
    out.append("| comparison | median ratio | range over rounds | target | met |")
    out.append("|---|---|---|---|---|")
    checks = [
        ("U", "unchanged re-run of A: sorvik --time-rule / rsync -a",
         ("sorvik", "seconds", "rsync", "seconds"), 0.6),
        ("A", "full backup of A through the window: window / sorvik-cli",
         ("window", "seconds", "sorvik", "seconds"), 1.1),
        ("A", "full backup of A: sorvik / cp -a",
         ("sorvik", "seconds", "cp", "seconds"), 1.0),
        ("A", "full backup of A: sorvik / (cp -a + sync)",
         ("sorvik", "seconds", "cp", "seconds_with_sync"), None),
        ("A", "full backup of A: sorvik / rsync -a",
         ("sorvik", "seconds", "rsync", "seconds"), None),
        ("A", "full backup of A: sorvik / (rsync -a + sync)",
         ("sorvik", "seconds", "rsync", "seconds_with_sync"), None),
        ("B", "B, wall + sync: (sorvik + sync) / (cp -a + sync)",
         ("sorvik", "seconds_with_sync", "cp", "seconds_with_sync"), 1.1),
        ("B", "B, wall + sync: (sorvik + sync) / (rsync -a + sync)",
         ("sorvik", "seconds_with_sync", "rsync", "seconds_with_sync"), None),
        ("B", "B, command only: sorvik / cp -a",
         ("sorvik", "seconds", "cp", "seconds"), None),
        ("C", "full backup of C: sorvik / cp -a",
         ("sorvik", "seconds", "cp", "seconds"), None),
        ("C", "full backup of C: sorvik / (cp -a + sync)",
         ("sorvik", "seconds", "cp", "seconds_with_sync"), None),
        ("C", "full backup of C: sorvik / rsync -a",
         ("sorvik", "seconds", "rsync", "seconds"), None),
        ("D", "full backup of D: sorvik / cp -a",
         ("sorvik", "seconds", "cp", "seconds"), None),
        ("D", "full backup of D: sorvik / (cp -a + sync)",
         ("sorvik", "seconds", "cp", "seconds_with_sync"), None),
        ("D", "full backup of D: sorvik / rsync -a",
         ("sorvik", "seconds", "rsync", "seconds"), None),
    ]
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

    rss = per_round(rows, "D", lambda ts: ts["sorvik"]["max_rss_kib"] / MIB_KIB)
    if rss:
        worst = max(rss)
        out.append(f"| peak memory of sorvik-cli on D (max over rounds) | {worst:.1f} MiB | "
                   f"{spread(rss)} MiB | ≤ 16 MiB | {'yes' if worst <= 16 else '**no**'} |")
    rs = per_round(rows, "D", lambda ts: ts["rsync"]["max_rss_kib"] / MIB_KIB)
    if rs:
        out.append(f"| peak memory of rsync -a on D (largest single process, see notes) "
                   f"| {max(rs):.1f} MiB | {spread(rs)} MiB | | |")

    if failures:
        out.append("\nCommands that exited non-zero: " +
                   ", ".join(f"{p} round {r} {t}" for p, r, t in sorted(failures)))
    print("\n".join(out))


if __name__ == "__main__":
    main()
