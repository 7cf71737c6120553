#!/usr/bin/env python3
"""Benchmarks for vok on a synthetic tree of about 100 000 directories:
scans against find and bfs (when installed), the saved tree's size against
gzip -1 of the same bytes (the writer's zlib level was that size), jumps against gzip -dc of the
same saved tree (also on a model of 1 000 000 directories), the completion
of a word on that model against gzip -dc too, and the full-screen display.

Runs each measurement interleaved with its reference (A B A B ...) and prints
medians and ratios measured in the same run (the median of the ratios of
adjacent runs), so the figures compare on any machine; a summary at the end
lists every figure that has an upper bound and whether it is met. Usage:
bench/run.py [--vok build/vok] [--dirs 100000] [--runs 5]
[--only scan|jump|browse|utf8|typos]. Everything is made below bench/out/ (or
--work), never in the home directory.

The browse group shows the tree full-screen in a private tmux server
(200 x 50) on the scanned tree and on a model of 1 000 000 directories whose
saved tree file is written directly (same shape as the scanned tree, no
directories are made; --model-dirs changes the size). It prints the time to
the first screen beside the time to load the tree alone (`vok -b` with no
bookmarks, which loads the tree as the display does), the time from a key
to its screen update for PgDn, Down and a find keystroke that matches nothing (as tmux sees it, beside the same key on a
tiny tree, and inside the program from strace's timestamps), the time to
redraw after a terminal resize, and the peak memory while the display runs.

The typos group scans a real tree (/usr, or --typo-tree) and jumps to a
seeded table of typos of its names (a letter transposed, dropped, doubled
or wrong; ten of each, of names that occur once, case ignored) and to twenty
random strings of consonants that occur in no name. It counts the typos
whose jump lands on the intended name and the random strings that jump at
all, beside the same counts for the names that Python's difflib finds with a
similarity of at least 0.6, as a reference.

The utf8 group shows a model of the same size whose names are 30 % UTF-8
with the Utf8Names setting on and off: the first screens side by side, the
keys inside the program and the peak memory against an all-ASCII model.
"""
import argparse
import gzip
import os
import random
import re
import shlex
import shutil
import statistics
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))

# The figures that have a target of the kind "at most", for the summary at
# the end: (figure, value shown, target shown, met).
SUMMARY = []


def check(figure, value, target, shown=None, unit=""):
    """Records a figure against its upper bound; returns the target's text."""
    text = shown if shown is not None else "%.3g%s" % (value, unit)
    SUMMARY.append((figure, text, "<= %.3g%s" % (target, unit), value <= target))
    return "target <= %.3g%s" % (target, unit)


def check_at_least(figure, value, target, shown):
    """Records a figure against its lower bound; returns the target's text."""
    SUMMARY.append((figure, shown, ">= %g" % target, value >= target))
    return "target >= %g" % target


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


# Characters of names in UTF-8: accented, other scripts, wide and emoji.
UTF8_CHARS = "\u00e9\u00fc\u00f1\u00e5\u00df\u0107\u0161\u03bb\u0436\u05d0" \
             "\u65e5\u672c\u8a9e\u4e2d\u6587\ud55c\uae00\U0001f600\U0001f4c1"


def write_model(path, root, count, seed=1, utf8_share=0.0):
    """A saved tree file of `count` directories below `root`, shaped like
    build_tree's, with uniqparentdir/uniqtargetdir in the middle. With
    utf8_share, that share of the names hold UTF-8 characters as well."""
    rng = random.Random(seed)
    letters = "abcdefghijklmnopqrstuvwxyz0123456789_-."
    names, children, depth, frontier = [root], [[]], [0], [0]
    made = 0
    while made < count:
        parent = frontier[rng.randrange(len(frontier))]
        taken = set(names[c] for c in children[parent])
        for _ in range(rng.choice([1, 2, 3, 5, 8, 13, 30])):
            if made >= count:
                break
            name = "".join(rng.choice(letters) for _ in range(rng.randint(3, 20)))
            if rng.random() < utf8_share:
                name = "".join(rng.choice(UTF8_CHARS) if rng.random() < 0.4 else c
                               for c in name)
            if name in (".", "..") or name in taken:
                continue
            taken.add(name)
            names.append(name)
            children.append([])
            depth.append(depth[parent] + 1)
            children[parent].append(len(names) - 1)
            made += 1
            if depth[-1] < 12:
                frontier.append(len(names) - 1)
    below = len(names) // 2
    for name in ("uniqparentdir", "uniqtargetdir"):
        names.append(name)
        children.append([])
        children[below].append(len(names) - 1)
        below = len(names) - 1
    for c in children:
        c.sort(key=lambda i: names[i].encode().lower())
    stamp = int(time.time())
    out = bytearray(b"<VOKID#9>" + bytes([4, 8, 1, 2, 8, 8, 8]) +
                    struct.pack("<iq", 0x1234, stamp) + b"HP")
    record = struct.pack("<Hqq", 0o40755, stamp, stamp)
    stack = [iter([0])]
    while stack:
        i = next(stack[-1], None)
        if i is None:
            out += b"E"
            stack.pop()
            continue
        out += b"D" + bytes([1 if children[i] else 0]) + names[i].encode() + b"\0" + record
        if children[i]:
            stack.append(iter(children[i]))
    with gzip.open(path, "wb", compresslevel=1) as f:
        f.write(bytes(out))
    return len(names)


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
    """Medians of a and of b, and the median of the ratios a/b of adjacent
    runs: the machine's speed may drift during a run (a shared virtual
    machine's does), and each pair of runs sees nearly the same speed."""
    ta, tb = [], []
    timed(a, env)  # the first run of each pays for cold caches
    timed(b, env)
    for _ in range(runs):
        ta.append(timed(a, env))
        tb.append(timed(b, env))
    ratios = [x / y for x, y in zip(ta, tb)]
    return statistics.median(ta), statistics.median(tb), statistics.median(ratios)


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


def jumps(vok, env, runs, label, targets, number=""):
    """Jumps against gzip -dc of the same saved tree. With a number the
    match is not checked on disk (the model tree has no directories)."""
    gunzip = ["sh", "-c", 'gzip -dc "$VOK_DIRTREE" > /dev/null']
    extra = [number] if number else []
    cases = [("unique name", [vok, "uniqtargetdir"] + extra),
             # Nothing is near it either, so the jump fails (status 2) once
             # the approximate search has read the whole file.
             ("no match (approximate search)",
              ["sh", "-c", '"$0" zqxjzqxjzqxj 1 || [ $? = 2 ]', vok]),
             ("directory part a/b", [vok, "uniqparentdir/uniqtargetdir"] + extra)]
    for (name, cmd), target in zip(cases, targets):
        t_jump, t_gz, ratio = interleaved(cmd, gunzip, env, runs)
        print("jump on the %s, %-30s %.1f ms   gzip -dc %.1f ms   ratio %.2fx (%s)"
              % (label, name, t_jump * 1000, t_gz * 1000, ratio,
                 check("jump, %s, %s / gzip -dc" % (name, label), ratio, target,
                       "%.2fx (%.0f ms)" % (ratio, t_jump * 1000), "x")))


def completions(vok, env, runs, model_env, label):
    """vok --complete against gzip -dc of the model's saved tree, and its
    peak memory on the model against that on the scanned tree: a completion
    keeps what it prints, not the tree, so the larger tree costs no more."""
    gunzip = ["sh", "-c", 'gzip -dc "$VOK_DIRTREE" > /dev/null']
    cmd = [vok, "--complete", "ab"]
    t_complete, t_gz, ratio = interleaved(cmd, gunzip, model_env, runs)
    print("completion on the %s, vok --complete ab %.1f ms   gzip -dc %.1f ms   ratio %.2fx (%s)"
          % (label, t_complete * 1000, t_gz * 1000, ratio,
             check("completion of a word, %s / gzip -dc" % label, ratio, 1.0,
                   "%.2fx (%.0f ms)" % (ratio, t_complete * 1000), "x")))
    big, small = peak_kib(cmd, model_env), peak_kib(cmd, env)
    print("completion peak memory: %d KiB on the model, %d KiB on the scanned tree, "
          "ratio %.2fx (%s)" % (big, small, big / small,
                                check("completion peak memory, model / scanned tree",
                                      big / small, 1.2, "%.2fx" % (big / small), "x")))


class Pane:
    """vok in a private tmux server, read back with capture-pane."""

    def __init__(self, work, env, args, cols=200, lines=50):
        self.socket = os.path.join(work, "tmux.sock")
        self.tmux("kill-server")
        command = "cd %s && exec env TERM=screen %s %s" % (
            shlex.quote(env["HOME"]),
            " ".join(shlex.quote("%s=%s" % (k, env[k])) for k in
                     ("HOME", "VOK_TEMP", "VOK_CONFIG", "VOK_DIRTREE", "VOK_BOOKMARK",
                      "LC_ALL") if k in env),
            " ".join(shlex.quote(a) for a in args))
        self.started = time.perf_counter()
        self.tmux("new-session", "-d", "-x", str(cols), "-y", str(lines), command)
        self.tmux("set-option", "-g", "window-size", "manual")

    def tmux(self, *args):
        return subprocess.run(["tmux", "-f", "/dev/null", "-S", self.socket] + list(args),
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              text=True).stdout

    def screen(self):
        return self.tmux("capture-pane", "-p", "-t", "0")

    def wait(self, test, limit=60):
        end = time.perf_counter() + limit
        while time.perf_counter() < end:
            text = self.screen()
            if test(text):
                return time.perf_counter()
        raise RuntimeError("the screen never showed what was expected:\n" + self.screen())

    def titled(self, line):
        """When the screen last changed before it settled with the tree's
        title on that line: windows come up before the tree is laid out."""
        def ready(s):
            lines = s.split("\n")
            return len(lines) > line and lines[line].startswith("  vok ") and \
                "Last scan:" in lines[line]
        last, changed = None, time.perf_counter()
        end = changed + 120
        while time.perf_counter() < end:
            text = self.screen()
            if text != last:
                last, changed = text, time.perf_counter()
            elif ready(text) and time.perf_counter() - changed > 0.5:
                return changed
            # Each look starts a tmux client: without a pause the looking
            # keeps a core busy, and on a machine of two cores it slows the
            # program it times (which loads on two threads) while the load
            # alone it is compared with runs on an idle machine. A pause of
            # 5 ms costs at most that much resolution.
            time.sleep(0.005)
        raise RuntimeError("the screen never settled:\n" + self.screen())

    def pid(self):
        shell = self.tmux("display-message", "-p", "-t", "0", "#{pane_pid}").strip()
        return int(shell)

    def key(self, name):
        before = self.screen()
        start = time.perf_counter()
        self.tmux("send-keys", "-t", "0", name)
        return self.wait(lambda s: s != before) - start

    def close(self):
        self.tmux("kill-server")


def strace_key(pane, name, work):
    """The time inside the program from a key's arrival to the end of its
    screen update: from the end of the wait that the key ended to the end
    of the last write before the next wait."""
    out = os.path.join(work, "strace.keys")
    tracer = subprocess.Popen(["strace", "-ttt", "-T", "-e", "trace=poll,read,write",
                               "-o", out, "-p", str(pane.pid())],
                              stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    pane.key(name)
    time.sleep(0.3)
    tracer.terminate()
    tracer.wait()
    calls = []
    with open(out) as f:
        for line in f:
            m = re.match(r"([\d.]+) (\w+)\((\d+).*<([\d.]+)>$", line.strip())
            if m:
                calls.append((m.group(2), int(m.group(3)), float(m.group(1)) + float(m.group(4))))
    reads = [i for i, c in enumerate(calls) if c[0] == "read" and c[1] == 0]
    if not reads:
        return float("nan")
    first = reads[0]
    arrived = calls[first - 1][2] if first > 0 and calls[first - 1][0] == "poll" \
        else calls[first][2]
    done = arrived
    for name_, fd, end in calls[first + 1:]:
        if name_ == "poll":
            break
        if name_ == "write" and fd == 1:
            done = end
    return done - arrived


def strace_resize(pane, cols, lines, work, settle):
    """The time inside the program from the size change's signal to the end
    of the last write before it waits for keys again (a wait that lasts)."""
    out = os.path.join(work, "strace.resize")
    tracer = subprocess.Popen(["strace", "-ttt", "-T", "-e", "trace=poll,write",
                               "-o", out, "-p", str(pane.pid())],
                              stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    pane.tmux("resize-window", "-t", "0", "-x", str(cols), "-y", str(lines))
    time.sleep(settle)
    tracer.terminate()
    tracer.wait()
    start = done = None
    with open(out) as f:
        for line in f:
            line = line.strip()
            if start is None:
                if "SIGWINCH" in line:
                    start = done = float(line.split()[0])
                continue
            m = re.match(r"([\d.]+) (\w+)\((\d+).*<([\d.]+)>$", line)
            if not m:
                continue
            end = float(m.group(1)) + float(m.group(4))
            if m.group(2) == "write" and m.group(3) == "1":
                done = end
            elif m.group(2) == "poll" and float(m.group(4)) >= 0.15:
                break
    return float("nan") if start is None else done - start


def peak_of(pid):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(r"VmHWM:\s+(\d+) kB", f.read()).group(1))


def browse(vok, work, label, env, dirs, runs):
    # Loading the tree alone: the bookmark list with no bookmarks loads it
    # as the display does, and shows nothing. (A jump no longer builds it.)
    load_env = dict(env, VOK_BOOKMARK=os.path.join(work, "no-bookmarks"))
    timed([vok, "-b"], load_env)
    ref_load = [timed([vok, "-b"], load_env) for _ in range(runs)]
    firsts = []
    for _ in range(runs):
        pane = Pane(work, env, [vok, "-T"])
        firsts.append(pane.titled(48) - pane.started)
        pane.close()
    t_first, t_load = statistics.median(firsts), statistics.median(ref_load)
    big = dirs >= 500000
    if big:
        target = check("first screen of vok -T, %d / load alone" % dirs, t_first / t_load,
                       1.5, "%.2fx (%.3f s)" % (t_first / t_load, t_first), "x")
    else:
        target = check("first screen of vok -T, %d" % dirs, t_first, 0.5, unit=" s")
    print("%s: first screen of vok -T %.3f s   load alone (vok -b) %.3f s   ratio %.2fx (%s)"
          % (label, t_first, t_load, t_first / t_load, target))
    pane = Pane(work, env, [vok, "-T"])
    pane.titled(48)
    keys = {}
    presses = max(runs, 10)
    for name, key in (("PgDn", "NPage"), ("Down", "Down")):
        keys[name] = (statistics.median(pane.key(key) for _ in range(presses)),
                      strace_key(pane, key, work))
    pane.key("Z")  # find mode; "Z" is in no name
    keys["find, no match"] = (statistics.median(pane.key("Z") for _ in range(12)),
                              strace_key(pane, "Z", work))
    pane.key("Tab")
    t_resize = strace_resize(pane, 180, 45, work, 2 * t_first + 1)
    pane.key("End")
    peak = peak_of(pane.pid())
    pane.close()
    return keys, t_resize, t_first, peak


def browse_group(vok, work, env, made, model_dirs, runs):
    # The reference: the same keys on a small tree, which costs the program
    # next to nothing, so what remains is tmux's and the polling's share.
    tiny = os.path.join(work, "tiny")
    for i in range(300):
        os.makedirs(os.path.join(tiny, "d%03d" % i), exist_ok=True)
    tiny_env = dict(env, VOK_DIRTREE=os.path.join(work, "tiny.gz"),
                    VOK_CONFIG=os.path.join(work, "tiny.conf"))
    with open(tiny_env["VOK_CONFIG"], "w") as f:
        f.write('StartDir = "%s"\n' % tiny)
    subprocess.run([vok, "-rfq"], env=tiny_env, stdout=subprocess.DEVNULL, check=True)
    pane = Pane(work, tiny_env, [vok, "-T"])
    pane.titled(48)
    presses = max(runs, 10)
    reference = {"PgDn": statistics.median(pane.key("NPage") for _ in range(5)),
                 "Down": statistics.median(pane.key("Down") for _ in range(presses))}
    pane.key("Z")
    reference["find, no match"] = statistics.median(pane.key("Z") for _ in range(12))
    pane.close()

    model = os.path.join(work, "model.gz")
    if not os.path.exists(model):
        write_model(model, os.path.join(work, "model"), model_dirs)
    model_count = model_dirs + 3
    model_env = dict(env, VOK_DIRTREE=model)
    trees = [("scanned tree, %d directories" % made, env, made),
             ("model tree, %d directories" % model_count, model_env, model_count)]
    for label, tree_env, count in trees:
        keys, t_resize, t_first, peak = browse(vok, work, label, tree_env, count, runs)
        big = count >= 500000
        for name, (seen, inside) in keys.items():
            limit = 8 if big and name.startswith("find") else 30
            print("  %-15s %.1f ms as tmux sees it (tiny tree %.1f ms, so %.1f ms more); "
                  "%.1f ms inside the program (%s)"
                  % (name, seen * 1000, reference[name] * 1000,
                     (seen - reference[name]) * 1000, inside * 1000,
                     check("key %s, %d, inside" % (name, count), inside * 1000, limit,
                           unit=" ms")))
        limit = 0.1 if big else t_first
        print("  resize to 180 x 45: %.3f s inside the program (%s)"
              % (t_resize, check("resize to 180 x 45, %d" % count, t_resize, limit,
                                 unit=" s")))
        per_dir = peak * 1024.0 / count
        print("  peak memory while shown: %d KiB, %.0f bytes per directory (%s)"
              % (peak, per_dir, check("peak memory shown, %d, bytes per directory" % count,
                                      per_dir, 200 if big else 400, "%.0f" % per_dir)))


def shown_peak(vok, work, env):
    """Peak memory of the display on a tree, paged to its end."""
    pane = Pane(work, env, [vok, "-T"])
    pane.titled(48)
    pane.key("End")
    peak = peak_of(pane.pid())
    pane.close()
    return peak


def first_screens(vok, work, env_a, env_b, runs):
    """First screens of vok -T under two environments, interleaved: the
    medians and the median ratio of adjacent runs."""
    ta, tb = [], []
    for _ in range(runs):
        for env, times in ((env_a, ta), (env_b, tb)):
            pane = Pane(work, env, [vok, "-T"])
            times.append(pane.titled(48) - pane.started)
            pane.close()
    return (statistics.median(ta), statistics.median(tb),
            statistics.median(a / b for a, b in zip(ta, tb)))


def utf8_group(vok, work, env, dirs, runs):
    """The display with Utf8Names on and off, on a model tree with 30 % of
    its names in UTF-8 and on the same tree all in ASCII."""
    configs = {}
    for setting in ("yes", "no"):
        configs[setting] = os.path.join(work, "utf8-%s.conf" % setting)
        with open(configs[setting], "w") as f:
            f.write('StartDir = "%s"\nUtf8Names = %s\n' % (os.path.join(work, "tree"), setting))
    models = {}
    for share in (0.3, 0.0):
        models[share] = os.path.join(work, "utf8-model-%d.gz" % (share * 100))
        count = write_model(models[share], os.path.join(work, "utf8-model"), dirs,
                            utf8_share=share)
    def setup(share, setting):
        return dict(env, LC_ALL="C.UTF-8", VOK_DIRTREE=models[share],
                    VOK_CONFIG=configs[setting])
    on, off = setup(0.3, "yes"), setup(0.3, "no")
    t_on, t_off, ratio = first_screens(vok, work, on, off, runs)
    print("UTF-8 names (30 %% of %d directories): first screen of vok -T %.3f s with "
          "Utf8Names, %.3f s without, ratio %.2fx (%s)"
          % (count, t_on, t_off, ratio,
             check("UTF-8 names: first screen with / without", ratio, 1.2, "%.2fx" % ratio,
                   "x")))
    pane = Pane(work, on, [vok, "-T"])
    pane.titled(48)
    for name, key in (("PgDn", "NPage"), ("Down", "Down")):
        print("  %-15s %.1f ms inside the program (target <= 30 ms)"
              % (name, strace_key(pane, key, work) * 1000))
    pane.key("Z")
    print("  %-15s %.1f ms inside the program (target <= 30 ms)"
          % ("find, no match", strace_key(pane, "Z", work) * 1000))
    pane.close()
    peaks = {(share, setting): shown_peak(vok, work, setup(share, setting))
             for share in (0.3, 0.0) for setting in ("yes", "no")}
    for (share, setting), peak in peaks.items():
        print("  peak memory while shown, %2d %% UTF-8, Utf8Names = %-3s: %.0f bytes per "
              "directory" % (share * 100, setting, peak * 1024.0 / count))
    grown = peaks[(0.3, "yes")] / peaks[(0.0, "no")]
    print("  ratios: ASCII tree with the setting against without %.2fx (target 1.00x), "
          "30 %% UTF-8 tree with it against the ASCII tree without %.2fx (%s)"
          % (peaks[(0.0, "yes")] / peaks[(0.0, "no")], grown,
             check("UTF-8 names: peak memory against ASCII", grown, 1.1, "%.2fx" % grown,
                   "x")))


TYPO_KINDS = ("transposed", "dropped", "doubled", "wrong")


def make_typo(rng, name, kind):
    """One typo of the name, or None when this draw makes none."""
    if kind == "transposed":
        i = rng.randrange(len(name) - 1)
        return None if name[i] == name[i + 1] else \
            name[:i] + name[i + 1] + name[i] + name[i + 2:]
    i = rng.randrange(len(name))
    if kind == "dropped":
        return name[:i] + name[i + 1:]
    if kind == "doubled":
        return name[:i] + name[i] + name[i:]
    letter = rng.choice("abcdefghijklmnopqrstuvwxyz")
    return None if letter == name[i].lower() else name[:i] + letter + name[i + 1:]


def typo_table(names, seed):
    """Ten typos of each kind of names that occur once (case ignored) and
    twenty consonant strings; none of them occurs in any name, so that each
    jump goes to the approximate search."""
    rng = random.Random(seed)
    counts = {}
    for name in names:
        counts[name.lower()] = counts.get(name.lower(), 0) + 1
    distinct = sorted(set(names))
    unique = [n for n in distinct if counts[n.lower()] == 1 and len(n) >= 5]
    joined = "\n".join(distinct)
    typos = []
    for kind in TYPO_KINDS:
        made = 0
        while made < 10:
            name = rng.choice(unique)
            typo = make_typo(rng, name, kind)
            if typo and typo != name and "\n" not in typo and typo not in joined:
                typos.append((kind, name, typo))
                made += 1
    randoms = []
    while len(randoms) < 20:
        word = "".join(rng.choice("bcdfghjklmnpqrstvwxz") for _ in range(rng.randint(4, 9)))
        if word not in joined:
            randoms.append(word)
    return typos, randoms


def typo_group(vok, work, root, seed):
    import difflib
    names = [d for _, dirs, _ in os.walk(root) for d in dirs]
    distinct = sorted(set(names))
    typos, randoms = typo_table(names, seed)
    env = environment(work)
    env["VOK_DIRTREE"] = os.path.join(work, "typos.gz")
    with open(env["VOK_CONFIG"], "w") as f:
        f.write('StartDir = "%s"\nShowListThreshold = 1000\n' % root)
    subprocess.run([vok, "-rfq"], env=env, stdout=subprocess.DEVNULL, check=True)

    def landed(word):
        """The name of the directory `vok -B word` goes to, or None."""
        with open(env["VOK_TEMP"], "w") as f:
            f.write(".")
        r = subprocess.run([vok, "-B", word], env=env, cwd=work, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        with open(env["VOK_TEMP"]) as f:
            target = f.read()
        return os.path.basename(target) if r.returncode == 0 and target != "." else None

    def nearest(word):
        found = difflib.get_close_matches(word, distinct, 1, 0.6)
        return found[0] if found else None

    print("typos of %d distinct directory names below %s (seed %d):"
          % (len(distinct), root, seed))
    found = reference = 0
    for kind, name, typo in typos:
        got = landed(typo)
        found += got == name
        reference += nearest(typo) == name
        print("  %-10s %-32s %-32s %s" % (kind, typo, name,
                                          "found" if got == name else "went to %s" % got))
    jumped = sum(1 for word in randoms if landed(word))
    reference_jumped = sum(1 for word in randoms if nearest(word))
    print("typos found %d of %d (%s), random strings that jump %d of %d (%s); "
          "difflib, similarity >= 0.6: %d of %d found, %d of %d jump"
          % (found, len(typos),
             check_at_least("approximate search: typos found (of 40)", found, 36,
                            "%d" % found),
             jumped, len(randoms),
             check("approximate search: random strings that jump (of 20)", jumped, 2,
                   "%d" % jumped),
             reference, len(typos), reference_jumped, len(randoms)))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--vok", default=os.path.join(HERE, "..", "build", "vok"))
    p.add_argument("--dirs", type=int, default=100000)
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--work", default=os.path.join(HERE, "out"))
    p.add_argument("--model-dirs", type=int, default=1000000,
                   help="directories of the model tree the browse group shows")
    p.add_argument("--only", choices=["scan", "jump", "browse", "utf8", "typos"],
                   help="run one group of measurements")
    p.add_argument("--typo-tree", default="/usr",
                   help="the real tree whose names the typos group misspells")
    p.add_argument("--typo-seed", type=int, default=1)
    args = p.parse_args()
    vok = os.path.abspath(args.vok)
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    if args.only == "typos":
        typo_group(vok, work, args.typo_tree, args.typo_seed)
        return summary()
    tree = os.path.join(work, "tree")
    made = build_tree(tree, args.dirs)
    os.sync()  # the new tree's writeback would slow the first measurements
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
    if args.only in (None, "jump"):
        jumps(vok, env, max(args.runs, 10), "scanned tree", (0.6, 2.5, 1.5))
        model = os.path.join(work, "model.gz")
        count = write_model(model, os.path.join(work, "model"), args.model_dirs)
        jumps(vok, dict(env, VOK_DIRTREE=model), max(args.runs, 5),
              "model of %d directories" % count, (0.5, 0.9, 1.5), "1")
        completions(vok, env, max(args.runs, 5), dict(env, VOK_DIRTREE=model),
                    "model of %d directories" % count)
    if args.only in (None, "browse"):
        browse_group(vok, work, env, made + 1, args.model_dirs, args.runs)
    if args.only in (None, "utf8"):
        utf8_group(vok, work, env, args.dirs, args.runs)
    if args.only is None:
        typo_group(vok, os.path.join(work, "typos"), args.typo_tree, args.typo_seed)
    if args.only in ("jump", "browse", "utf8"):
        return summary()
    t_full, t_find, ratio = interleaved(full, find, env, args.runs)
    print("full scan   vok -rfq %.3f s   find -type d %.3f s   ratio %.3fx (%s)"
          % (t_full, t_find, ratio, check("full scan / find -type d", ratio, 0.6,
                                          "%.3fx" % ratio, "x")))
    if shutil.which("bfs"):
        t_full3, t_bfs, ratio = interleaved(full, ["bfs", tree, "-type", "d"], env,
                                            args.runs)
        print("full scan   vok -rfq %.3f s   bfs -type d  %.3f s   ratio %.3fx (%s)"
              % (t_full3, t_bfs, ratio, check("full scan / bfs -type d", ratio, 0.8,
                                              "%.3fx" % ratio, "x")))
    else:
        print("full scan against bfs: not measured, bfs is not installed")
    t_smart, t_full2, ratio = interleaved(smart, full, env, args.runs)
    print("smart scan  vok -rq  %.3f s   vok -rfq     %.3f s   ratio %.3fx (%s)"
          % (t_smart, t_full2, ratio, check("smart scan of the unchanged tree / full scan",
                                            ratio, 0.15, "%.3fx" % ratio, "x")))

    with gzip.open(env["VOK_DIRTREE"], "rb") as f:
        image = f.read()
    saved = os.path.getsize(env["VOK_DIRTREE"])
    reference = len(gzip.compress(image, compresslevel=1))
    print("saved tree: %d bytes, gzip -1 of the same bytes %d, ratio %.3fx (%s)"
          % (saved, reference, saved / reference,
             check("saved tree size / gzip -1 of its bytes", saved / reference, 1.05,
                   "%.3fx" % (saved / reference), "x")))

    calls = syscalls(full, env, work)
    print("system calls of a full scan: %d, %.2f per directory (%s)"
          % (calls, calls / (made + 1), check("system calls per directory, full scan",
                                              calls / (made + 1), 5.5)))
    calls = syscalls(smart, env, work)
    print("system calls of a smart scan of the unchanged tree: %d, %.2f per directory"
          % (calls, calls / (made + 1)))

    with_tree = peak_kib(full, env)
    with open(env["VOK_CONFIG"], "w") as f:
        f.write('StartDir = "%s"\n' % empty)
    baseline = peak_kib(full, env)
    per_dir = (with_tree - baseline) * 1024.0 / (made + 1)
    print("peak memory: %d KiB, empty-tree baseline %d KiB, %.0f bytes per directory "
          "(%s)" % (with_tree, baseline, per_dir,
                    check("peak memory of a full scan, bytes per directory", per_dir, 110,
                          "%.0f" % per_dir)))
    return summary()


def summary():
    print("\nsummary: every figure with an upper bound")
    for figure, value, target, met in SUMMARY:
        print("  %-70s %-20s %-10s %s" % (figure, value, target, "met" if met else "MISSED"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
