#!/usr/bin/env python3
"""Scan benchmarks for vok on a synthetic tree of about 100 000 directories.

Runs each measurement interleaved with its reference (A B A B ...) and prints
medians and ratios measured in the same run, so the figures compare on any
machine. Usage: bench/run.py [--vok build/vok] [--dirs 100000] [--runs 5]
Everything is made below bench/out/ (or --work), never in the home directory.
"""
import argparse
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def build_tree(root, count, seed=1):
    """Directories of depth up to 12 with mixed fan-out, names of 3 to 20
    bytes, three files each, and a symbolic link to a directory now and then."""
    rng = random.Random(seed)
    letters = "abcdefghijklmnopqrstuvwxyz0123456789_-."
    os.makedirs(root)
    frontier = [(root, 0)]
    made = 0
    dirs = [root]
    while made < count:
        parent, depth = frontier[rng.randrange(len(frontier))]
        fan = rng.choice([1, 2, 3, 5, 8, 13, 30])
        for _ in range(fan):
            if made >= count:
                break
            name = "".join(rng.choice(letters) for _ in range(rng.randint(3, 20)))
            if name in (".", ".."):
                continue
            path = os.path.join(parent, name)
            if os.path.exists(path):
                continue
            os.mkdir(path)
            for i in range(3):
                with open(os.path.join(path, "f%d.txt" % i), "w") as f:
                    f.write("x")
            made += 1
            dirs.append(path)
            if depth + 1 < 12:
                frontier.append((path, depth + 1))
            if rng.random() < 0.01:
                target = dirs[rng.randrange(len(dirs))]
                try:
                    os.symlink(target, os.path.join(parent, name + ".lnk"))
                except OSError:
                    pass
    # A known unique pair for the jump benchmarks.
    os.makedirs(os.path.join(dirs[len(dirs) // 2], "uniqparentdir", "uniqtargetdir"))
    return made + 2


def environment(work, quiet=True):
    env = dict(os.environ)
    env.update(HOME=work, VOK_TEMP=os.path.join(work, "newdir"),
               VOK_CONFIG=os.path.join(work, "vok.conf"),
               VOK_DIRTREE=os.path.join(work, "tree.gz"),
               VOK_BOOKMARK=os.path.join(work, "bookmarks"))
    return env


def timed(cmd, env):
    start = time.perf_counter()
    subprocess.run(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=True)
    return time.perf_counter() - start


def interleaved(a, b, env, runs):
    ta, tb = [], []
    for _ in range(runs):
        ta.append(timed(a, env))
        tb.append(timed(b, env))
    return statistics.median(ta), statistics.median(tb)


def syscalls(cmd, env, work):
    out = os.path.join(work, "strace.txt")
    subprocess.run(["strace", "-c", "-f", "-o", out] + cmd, env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    with open(out) as f:
        text = f.read()
    m = re.search(r"^100\.00\s+\S+\s+\S+\s+(\d+)", text, re.M) or \
        re.search(r"^-+\n.*?\s(\d+)\s+(\d+\s+)?total$", text, re.M)
    total = re.findall(r"^\s*[\d.]+\s+[\d.]+\s+\d+\s+(\d+)\s+(?:\d+\s+)?total$", text, re.M)
    return int(total[0]) if total else int(m.group(1))


def peak_kib(cmd, env):
    r = subprocess.run(["/usr/bin/time", "-v"] + cmd, env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.PIPE, text=True, check=True)
    return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", r.stderr).group(1))


def jumps(vok, env, runs):
    gunzip = ["sh", "-c", 'gzip -dc "$VOK_DIRTREE" > /dev/null']
    cases = [("unique name", [vok, "uniqtargetdir"], 2.0),
             ("no match (approximate search)", [vok, "zqxjzqxjzqxj", "1"], 4.0),
             ("directory part a/b", [vok, "uniqparentdir/uniqtargetdir"], 2.0)]
    for label, cmd, target in cases:
        t_jump, t_gz = interleaved(cmd, gunzip, env, runs)
        print("jump, %-30s %.1f ms   gzip -dc %.1f ms   ratio %.2fx (target <= %.0fx%s)"
              % (label, t_jump * 1000, t_gz * 1000, t_jump / t_gz, target,
                 ", <= 50 ms" if target == 2.0 else ""))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--vok", default=os.path.join(HERE, "..", "build", "vok"))
    p.add_argument("--dirs", type=int, default=100000)
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--work", default=os.path.join(HERE, "out"))
    p.add_argument("--only", choices=["scan", "jump"], help="run one group of measurements")
    args = p.parse_args()
    vok = os.path.abspath(args.vok)
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    tree = os.path.join(work, "tree")
    made = build_tree(tree, args.dirs)
    empty = os.path.join(work, "empty")
    os.makedirs(empty)
    env = environment(work)
    with open(env["VOK_CONFIG"], "w") as f:
        f.write('StartDir = "%s"\n' % tree)
    print("tree: %d directories below %s" % (made + 1, tree))

    full = [vok, "-rfq"]
    smart = [vok, "-rq"]
    find = ["find", tree, "-type", "d"]
    timed(full, env)  # warm the caches
    if args.only != "scan":
        jumps(vok, env, max(args.runs, 10))
    if args.only == "jump":
        return 0
    t_full, t_find = interleaved(full, find, env, args.runs)
    print("full scan   vok -rfq %.3f s   find -type d %.3f s   ratio %.2fx (target <= 1.0x)"
          % (t_full, t_find, t_full / t_find))
    t_smart, t_full2 = interleaved(smart, full, env, args.runs)
    print("smart scan  vok -rq  %.3f s   vok -rfq     %.3f s   ratio %.2fx (target <= 0.4x)"
          % (t_smart, t_full2, t_smart / t_full2))

    calls = syscalls(full, env, work)
    print("system calls of a full scan: %d, %.2f per directory (target <= 9)"
          % (calls, calls / (made + 1)))

    with_tree = peak_kib(full, env)
    with open(env["VOK_CONFIG"], "w") as f:
        f.write('StartDir = "%s"\n' % empty)
    baseline = peak_kib(full, env)
    per_dir = (with_tree - baseline) * 1024.0 / (made + 1)
    print("peak memory: %d KiB, empty-tree baseline %d KiB, %.0f bytes per directory "
          "(target <= 200)" % (with_tree, baseline, per_dir))


if __name__ == "__main__":
    sys.exit(main())
