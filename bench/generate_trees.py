#!/usr/bin/env python3
"""Creates the benchmark source trees for Sorvik under a given folder.

  A  50,000 files of 1-16 KiB in 2,500 folders, depth up to 6, Japanese and ASCII names
  B  20 files of 50 MiB each (a random 1 MiB block repeated, with a per-file header)
  C  20,000 folders holding one small file each
  D  200,000 empty files in 10,000 folders
  G10, G50, G200  10,000, 50,000 and 200,000 files of 1-16 KiB, about 20 per folder, depth up
     to 6, built like A: the same shape at three sizes, to see how time per file grows

Everything is derived from a fixed seed, so two runs give identical trees (contents, names,
sizes and modification times).  Standard library only.

Usage: generate_trees.py ROOT [--trees A B G10 ...] [--scale F] [--force]
  --trees also takes the single letters run together, as in "--trees ABCD".
  --scale shrinks the G trees (e.g. 0.01 for a quick try of the scripts); A-D keep their size.
"""

import argparse
import os
import random
import shutil
import sys
import time

SEED = 20240613
# All files get modification times inside this window (fixed, so runs are repeatable).
MTIME_BASE = 1_700_000_000
MTIME_SPAN = 86_400 * 365

KIB = 1024
MIB = 1024 * KIB

JAPANESE_WORDS = [
    "写真", "資料", "日本語ファイル", "報告書", "会議録", "見積書", "請求書", "設計図",
    "仕様メモ", "議事録", "旅行", "家族", "音楽", "動画", "原稿", "下書き", "保存版",
    "東京", "大阪", "京都", "北海道", "さくら", "ひまわり", "カタカナ名", "テスト",
    "バックアップ", "データ", "アーカイブ", "年賀状", "住所録", "給与明細", "経費精算",
]
ASCII_WORDS = [
    "photos", "docs", "report", "notes", "draft", "final", "archive", "project",
    "src", "data", "misc", "music", "video", "invoice", "budget", "scan", "backup",
    "old", "new", "temp_keep", "alpha", "beta", "gamma", "delta", "config", "logs",
]
EXTENSIONS = [
    ".txt", ".jpg", ".png", ".pdf", ".docx", ".xlsx", ".csv", ".dat", ".bin", ".log",
    ".html", ".md", ".json", ".xml", ".zip", "",
]


def name_word(rng):
    # Roughly half of the names are Japanese, some mix both scripts.
    roll = rng.random()
    if roll < 0.45:
        return rng.choice(JAPANESE_WORDS)
    if roll < 0.55:
        return rng.choice(JAPANESE_WORDS) + "_" + rng.choice(ASCII_WORDS)
    return rng.choice(ASCII_WORDS)


def folder_name(rng, index):
    return f"{name_word(rng)}_{index:04d}"


def file_name(rng, index):
    return f"{name_word(rng)}_{index:05d}{rng.choice(EXTENSIONS)}"


def set_mtime(path, rng):
    t = MTIME_BASE + rng.randrange(MTIME_SPAN)
    os.utime(path, (t, t))


def fresh_dir(path, force):
    if os.path.exists(path):
        if not force:
            print(f"{path} exists already; skipped (use --force to rebuild)", file=sys.stderr)
            return False
        shutil.rmtree(path)
    os.makedirs(path)
    return True


FILES_PER_FOLDER = 20
# Files in the growth trees, by name.
GROWTH_TREES = {"G10": 10_000, "G50": 50_000, "G200": 200_000}
ALL_TREES = ["A", "B", "C", "D", *GROWTH_TREES]


def build_a(root, rng, pool):
    """50,000 files of 1-16 KiB in 2,500 folders up to depth 6 (depth 1 = direct child)."""
    return build_small_files(root, rng, pool, 50_000)


def build_small_files(root, rng, pool, files_total):
    """Files of 1-16 KiB, FILES_PER_FOLDER per folder on average, folders up to depth 6.

    Tree A and the growth trees come from here, so they differ only in size."""
    folders_total, max_depth = max(1, files_total // FILES_PER_FOLDER), 6
    # Random tree: each new folder picks a parent among the existing ones that are not yet at
    # the maximum depth.  The root itself counts as depth 0 and is not counted as a folder.
    folders = [(root, 0)]
    open_parents = [0]
    for i in range(folders_total):
        parent_index = rng.choice(open_parents)
        parent, depth = folders[parent_index]
        path = os.path.join(parent, folder_name(rng, i))
        os.mkdir(path)
        folders.append((path, depth + 1))
        if depth + 1 < max_depth:
            open_parents.append(len(folders) - 1)
    targets = folders[1:]
    pool_len = len(pool)
    for i in range(files_total):
        folder, _ = rng.choice(targets)
        size = rng.randint(1 * KIB, 16 * KIB)
        offset = rng.randrange(pool_len - size)
        path = os.path.join(folder, file_name(rng, i))
        with open(path, "wb") as f:
            f.write(pool[offset:offset + size])
        set_mtime(path, rng)
    return files_total, folders_total


def build_b(root, rng):
    """20 files of 50 MiB: one random 1 MiB block repeated, each file with its own header."""
    count, size = 20, 50 * MIB
    block = rng.randbytes(MIB)
    for i in range(count):
        path = os.path.join(root, f"大きなファイル_{i:02d}.bin" if i % 2 else f"large_{i:02d}.bin")
        header = f"sorvik bench large file {i:02d} seed {SEED}\n".encode().ljust(4096, b"#")
        # Rotate the block per file so no two files share their aligned contents either.
        shift = (i * 7919) % MIB
        body = block[shift:] + block[:shift]
        with open(path, "wb") as f:
            f.write(header)
            remaining = size - len(header)
            while remaining > 0:
                chunk = body if remaining >= MIB else body[:remaining]
                f.write(chunk)
                remaining -= len(chunk)
        set_mtime(path, rng)
    return count, 0


def build_c(root, rng, pool):
    """20,000 folders directly under the root, one file (0.5-4 KiB) each."""
    count = 20_000
    for i in range(count):
        folder = os.path.join(root, folder_name(rng, i) + f"_{i:05d}")
        os.mkdir(folder)
        size = rng.randint(512, 4 * KIB)
        offset = rng.randrange(len(pool) - size)
        path = os.path.join(folder, file_name(rng, i))
        with open(path, "wb") as f:
            f.write(pool[offset:offset + size])
        set_mtime(path, rng)
    return count, count


def build_d(root, rng):
    """200,000 empty files in 10,000 folders: 100 top folders with 99 subfolders each."""
    top, sub, per_folder = 100, 99, 20
    folders = []
    for t in range(top):
        top_path = os.path.join(root, folder_name(rng, t))
        os.mkdir(top_path)
        folders.append(top_path)
        for s in range(sub):
            path = os.path.join(top_path, f"{name_word(rng)}_{s:02d}")
            os.mkdir(path)
            folders.append(path)
    assert len(folders) == 10_000
    n = 0
    for folder in folders:
        for _ in range(per_folder):
            path = os.path.join(folder, file_name(rng, n))
            os.close(os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644))
            set_mtime(path, rng)
            n += 1
    return n, len(folders)


def main():
    parser = argparse.ArgumentParser(description="Create Sorvik benchmark trees.")
    parser.add_argument("root", help="folder to create the trees in (as ROOT/A, ROOT/B, ...)")
    parser.add_argument("--trees", nargs="+", default=["ABCD"],
                        help="which trees to build: A B C D G10 G50 G200, or letters run "
                             "together as in 'AB' (default: ABCD)")
    parser.add_argument("--scale", type=float, default=1.0,
                        help="factor for the number of files of the G trees (default: 1)")
    parser.add_argument("--force", action="store_true",
                        help="remove and rebuild a tree that exists already")
    args = parser.parse_args()

    wanted = set()
    for word in args.trees:
        word = word.upper()
        if word in GROWTH_TREES:
            wanted.add(word)
        elif word and all(t in "ABCD" for t in word):
            wanted.update(word)
        else:
            parser.error(f"unknown tree {word!r}; trees are {', '.join(ALL_TREES)}")
    if not 0 < args.scale <= 1:
        parser.error("--scale takes a factor above 0 and at most 1")
    os.makedirs(args.root, exist_ok=True)

    # One generator per tree so that building only some trees gives the same result.
    pool = None
    for tree in ALL_TREES:
        if tree not in wanted:
            continue
        rng = random.Random(f"{SEED}-{tree}")
        path = os.path.join(args.root, tree)
        if not fresh_dir(path, args.force):
            continue
        if pool is None and tree not in "BD":
            pool = random.Random(f"{SEED}-pool").randbytes(16 * MIB)
        start = time.monotonic()
        if tree == "A":
            files, folders = build_a(path, rng, pool)
        elif tree == "B":
            files, folders = build_b(path, rng)
        elif tree == "C":
            files, folders = build_c(path, rng, pool)
        elif tree == "D":
            files, folders = build_d(path, rng)
        else:
            count = max(FILES_PER_FOLDER, round(GROWTH_TREES[tree] * args.scale))
            files, folders = build_small_files(path, rng, pool, count)
        print(f"tree {tree}: {files} files, {folders} folders in {path} "
              f"({time.monotonic() - start:.1f} s)")


if __name__ == "__main__":
    main()
