#!/usr/bin/env python3
"""Times orvex against GNU tar, bsdtar, Info-ZIP unzip, 7-Zip, a plain copy of
the same bytes, the floor and the one-piece limit, on workloads that
bench/run.sh has prepared.

    bench.py run --data DIR --bin DIR --runs DIR --out DIR [--rounds N] [--touch-mib M]
                 [--variant NAME=PATH]... WORKLOAD...
    bench.py compare RESULTS_A.tsv RESULTS_B.tsv

WORKLOAD is W1..W6 or `startup`. Every run extracts into a fresh folder made
before the clock starts; before each run the dirty pages of the last one are
written back (`sync`) and some hundreds of MiB of huge pages are touched and
freed, so that the memory the next run gets is memory this virtual machine
really holds. The tools take turns, one run each per round, starting with a
different one every round; round 0 warms up and is not counted. A ratio is
the median of the per-round ratios. Every input is dropped from the page
cache and read back in large blocks first, so that all are cached alike.
Outputs of the large-entry workloads (W1, W4) are removed after each run (a
few large files, untimed); all other outputs stay until `bench/run.sh clean`,
because ext4 creates files slowly for minutes after mass deletions.

With --variant (other builds of orvex, e.g. without one of its speed tricks),
only orvex and the variants take turns, and each variant's time over orvex's
is reported.
"""
import argparse
import csv
import datetime
import filecmp
import mmap
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TOOLS = ["orvex", "tar", "bsdtar", "unzip", "7zz", "copy", "floor", "onepiece"]
PEERS = ["tar", "bsdtar", "unzip", "7zz"]
LABELS = {"orvex": "orvex", "tar": "GNU tar", "bsdtar": "bsdtar", "unzip": "unzip",
          "7zz": "7-Zip", "copy": "copy", "floor": "floor", "onepiece": "one-piece"}
TITLES = {"W1": "W1 media, 64 × 4 MiB", "W2": "W2 small, 20,000 × 2–8 KiB",
          "W3": "W3 mixed, 10,000, ⅔ passed over", "W4": "W4 huge, 4 × 64 MiB",
          "W5": "W5 directory, 200,000 records, 1 % written",
          "W6": "W6 batch, 400 archives × 4 × 1–8 KiB"}
LARGE = {"W1", "W4"}
# The goals, at most these ratios: orvex over the one-piece limit on every
# workload, over the floor on W6 (where start-up and file creation are the
# time), and the static orvex's start-up over a static empty program's. Also:
# faster than each peer that the one-piece limit beats on the workload, and a
# peak resident set of at most the largest entry and 8 MiB.
ONE_PIECE_GOAL = 1.05
FLOOR_GOALS = {"W6": 1.10}
STARTUP_GOAL = 1.10


def log(message):
    print(message, file=sys.stderr, flush=True)


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def touch_huge_pages(mib):
    """Touches and frees `mib` MiB of anonymous memory in huge pages."""
    if mib <= 0:
        return
    size = mib << 20
    chunk = b"\1" * (2 << 20)
    with mmap.mmap(-1, size, flags=mmap.MAP_PRIVATE | mmap.MAP_ANONYMOUS) as memory:
        if hasattr(mmap, "MADV_HUGEPAGE"):
            memory.madvise(mmap.MADV_HUGEPAGE)
        for offset in range(0, size, len(chunk)):
            memory[offset:offset + len(chunk)] = chunk


def spawn(argv, cwd, stdout_path=None):
    """Runs argv in cwd; returns (seconds, rusage, exit status)."""
    out = open(os.path.join(cwd, stdout_path), "wb") if stdout_path else subprocess.DEVNULL
    try:
        start = time.perf_counter()
        process = subprocess.Popen(argv, cwd=cwd, stdout=out, stdin=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
        elapsed = time.perf_counter() - start
        process.returncode = os.waitstatus_to_exitcode(status)
    finally:
        if stdout_path:
            out.close()
    return elapsed, usage, process.returncode


class Workload:
    def __init__(self, name, data, bindir, variants=None):
        self.name = name
        self.variants = variants or {}  # name -> another orvex build
        self.dir = os.path.join(data, name)
        self.archives = sorted(f[:-4] for f in os.listdir(os.path.join(self.dir, "archives")))
        self.expected = {}  # written name -> path of the expected file
        for label in self.archives:
            folder = os.path.join(self.dir, "expected", label)
            for file in os.listdir(folder):
                self.expected[file] = os.path.join(folder, file)
        self.largest = max(os.path.getsize(p) for p in self.expected.values())
        self.total = sum(os.path.getsize(p) for p in self.expected.values())
        self.orvex = os.path.join(bindir, "src", "orvex")
        self.floor = os.path.join(bindir, "bench", "orvex_bench_floor")
        self.one_piece = os.path.join(bindir, "bench", "orvex_bench_one_piece")
        self.peak = os.path.join(bindir, "bench", "orvex_bench_peak")

    def path(self, kind, label, suffix):
        return os.path.join(self.dir, kind, label + suffix)

    def command(self, tool):
        """(argv, stdout file name or None) of one timed run of `tool`."""
        orvex = self.variants.get(tool, self.orvex)
        if tool in self.variants:
            tool = "orvex"
        if len(self.archives) == 1:
            label = self.archives[0]
            return {
                "orvex": ([orvex, self.path("archives", label, ".dat")], None),
                "tar": (["tar", "-xf", self.path("tar", label, ".tar")], None),
                "bsdtar": (["bsdtar", "-xf", self.path("tar", label, ".tar")], None),
                "unzip": (["unzip", "-qq", self.path("zip", label, ".zip")], None),
                "7zz": (["7zz", "x", "-y", "-bd", "-bso0", "-bsp0",
                         self.path("zip", label, ".zip")], None),
                "copy": (["cat", self.path("bin", label, ".bin")], "copy.bin"),
                "floor": ([self.floor, self.name, label], None),
                "onepiece": ([self.one_piece, self.path("archives", label, ".dat")], None),
            }[tool]
        # Many archives: one process per archive, every tool in the same shell loop.
        body = {
            "orvex": f"{orvex} {self.dir}/archives/$i.dat >/dev/null",
            "tar": f"tar -xf {self.dir}/tar/$i.tar >/dev/null",
            "bsdtar": f"bsdtar -xf {self.dir}/tar/$i.tar >/dev/null",
            "unzip": f"unzip -qq {self.dir}/zip/$i.zip >/dev/null",
            "7zz": f"7zz x -y -bd -bso0 -bsp0 {self.dir}/zip/$i.zip >/dev/null",
            "copy": f"cat {self.dir}/bin/$i.bin >$i.bin",
            "floor": f"{self.floor} {self.name} $i >/dev/null",
            "onepiece": f"{self.one_piece} {self.dir}/archives/$i.dat >/dev/null",
        }[tool]
        loop = f"set -e; for i in {{{self.archives[0]}..{self.archives[-1]}}}; do {body}; done"
        return ["bash", "-c", loop], None

    def check(self, tool, folder):
        """Whether one run of `tool` in `folder` wrote what it must."""
        files = sorted(os.listdir(folder))
        if tool == "copy":
            return sum(os.path.getsize(os.path.join(folder, f)) for f in files) == self.total
        if files != sorted(self.expected):
            return False
        for file in files:
            written = os.path.join(folder, file)
            if tool == "floor":
                if os.path.getsize(written) != os.path.getsize(self.expected[file]):
                    return False
            elif not filecmp.cmp(written, self.expected[file], shallow=False):
                return False
        return True

    def orvex_peak_kib(self, folder):
        """Peak resident set of orvex over one run per archive."""
        return max(peak_and_faults(self.peak, [self.orvex, self.path("archives", label, ".dat")],
                                   folder)[0] for label in self.archives)


def peak_and_faults(helper, argv, cwd):
    """(peak resident KiB, minor page faults) of one run of argv, started by
    orvex_bench_peak: a child started from this Python process would inherit
    the driver's own high-water mark."""
    result = subprocess.run([helper] + argv, cwd=cwd, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        raise SystemExit(f"{argv[0]} failed in {cwd}")
    peak, faults = result.stderr.split()[-2:]
    return int(peak), int(faults)


def evict_and_remove(folder):
    """Removes one finished run's few large files (after writing them back)."""
    os.sync()
    shutil.rmtree(folder)
    os.sync()


def recache_inputs(workload):
    """Drops every tool's input from the page cache and reads it back in large
    blocks, so that all inputs are cached alike (in large folios), whichever
    program wrote them: reading a cached file written in small pieces costs
    up to half as much again as reading one cached by a large read."""
    buffer = bytearray(16 << 20)
    for kind in ("archives", "tar", "zip", "bin"):
        folder = os.path.join(workload.dir, kind)
        for name in sorted(os.listdir(folder)):
            fd = os.open(os.path.join(folder, name), os.O_RDONLY)
            try:
                os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
                with open(fd, "rb", buffering=0, closefd=False) as f:
                    while f.readinto(buffer):
                        pass
            finally:
                os.close(fd)


def median_ratio(times, a, b):
    return statistics.median(x / y for x, y in zip(times[a], times[b]))


def time_workload(workload, runs, rounds, touch_mib, tools=TOOLS):
    log(f"== {workload.name}: caching the inputs alike (load {load()})")
    os.sync()
    recache_inputs(workload)
    log(f"== {workload.name}: checking every tool's output (load {load()})")
    checks = os.path.join(runs, "check")
    os.mkdir(checks)
    for tool in tools:
        folder = os.path.join(checks, tool)
        os.mkdir(folder)
        argv, stdout = workload.command(tool)
        _, _, status = spawn(argv, folder, stdout)
        if status != 0 or not workload.check(tool, folder):
            raise SystemExit(f"{workload.name}: {tool} did not write the expected files in {folder}")
    peak_folder = os.path.join(checks, "peak")
    os.mkdir(peak_folder)
    peak = workload.orvex_peak_kib(peak_folder)
    if workload.name in LARGE:
        evict_and_remove(checks)

    load_before = load()
    log(f"== {workload.name}: timing, {rounds} rounds (load {load_before})")
    times = {tool: [] for tool in tools}
    previous = None
    for round_ in range(rounds + 1):
        start = round_ % len(tools)
        for tool in tools[start:] + tools[:start]:
            if previous is not None and workload.name in LARGE:
                evict_and_remove(previous)
                previous = None
            folder = tempfile.mkdtemp(dir=runs, prefix=f"{tool}.")
            os.sync()
            touch_huge_pages(touch_mib)
            argv, stdout = workload.command(tool)
            elapsed, _, status = spawn(argv, folder, stdout)
            if status != 0:
                raise SystemExit(f"{workload.name}: {tool} failed in {folder}")
            if round_ > 0:
                times[tool].append(elapsed * 1000)
            previous = folder
    if previous is not None and workload.name in LARGE:
        evict_and_remove(previous)
    load_after = load()

    row = {"workload": workload.name, "rounds": rounds, "load_before": load_before,
           "load_after": load_after, "orvex_peak_kib": peak,
           "largest_entry_kib": workload.largest // 1024}
    for tool in tools:
        row[f"{tool}_ms"] = statistics.median(times[tool])
        row[f"{tool}_spread"] = f"{min(times[tool]):.1f}..{max(times[tool]):.1f}"
    log("  " + ", ".join(f"{t} {row[t + '_ms']:.1f} ms ({row[t + '_spread']})" for t in tools))
    if workload.variants:
        for tool in workload.variants:
            row[f"{tool}/orvex"] = median_ratio(times, tool, "orvex")
            log(f"  {tool}/orvex {row[tool + '/orvex']:.3f} (load {load_after})")
        return row
    for tool in tools:
        row[f"orvex/{tool}"] = median_ratio(times, "orvex", tool)
        row[f"onepiece/{tool}"] = median_ratio(times, "onepiece", tool)
        row[f"{tool}/tar"] = median_ratio(times, tool, "tar")
    log(f"  orvex/one-piece {row['orvex/onepiece']:.2f}, orvex/floor {row['orvex/floor']:.2f}, "
        f"orvex/tar {row['orvex/tar']:.2f}; peak {peak / 1024:.1f} MiB (load {load_after})")
    return row


STARTUP = [("empty", "bench/orvex_bench_empty", "a static empty C program"),
           ("orvex", "src/orvex", "orvex, static (the default)"),
           ("cxx-static", "bench/orvex_cxx_static", "orvex, C++ runtime static"),
           ("dynamic", "bench/orvex_dynamic", "orvex, dynamic"),
           ("tar", "tar", "GNU tar (dynamic)")]


def time_startup(data, bindir, runs, rounds, loops=200):
    """A loop of `loops` runs on an archive with no entries, per program."""
    archive = os.path.join(data, "empty.dat")
    with open(archive, "wb") as f:
        f.write(b"\0\0\0\0" + (21).to_bytes(4, "little") + b"\0" * 13)
    tar = os.path.join(data, "empty.tar")
    subprocess.run(["tar", "-cf", tar, "-T", "/dev/null"], check=True)
    programs = []
    for key, path, label in STARTUP:
        program = path if key == "tar" else os.path.join(bindir, path)
        argument = f"-xf {tar}" if key == "tar" else archive
        programs.append((key, label, program, argument))
    log(f"== startup: {loops} runs per loop, {rounds} rounds (load {load()})")
    folder = tempfile.mkdtemp(dir=runs, prefix="startup.")
    helper = os.path.join(bindir, "bench", "orvex_bench_peak")
    faults = {key: peak_and_faults(helper, [program] + argument.split(), folder)[1]
              for key, _, program, argument in programs}
    times = {key: [] for key, *_ in programs}
    for round_ in range(rounds + 1):
        start = round_ % len(programs)
        for key, _, program, argument in programs[start:] + programs[:start]:
            loop = f"for ((i = 0; i < {loops}; i++)); do {program} {argument} >/dev/null; done"
            elapsed, _, status = spawn(["bash", "-c", loop], folder)
            if status != 0:
                raise SystemExit(f"startup: {program} failed")
            if round_ > 0:
                times[key].append(elapsed * 1000)
    rows = []
    for key, label, program, argument in programs:
        rows.append({"program": label, "loop_ms": statistics.median(times[key]),
                     "run_ms": statistics.median(times[key]) / loops,
                     "ratio": statistics.median(t / e for t, e in zip(times[key], times["empty"])),
                     "faults": faults[key]})
        log(f"  {label}: {rows[-1]['loop_ms']:.1f} ms per loop, {rows[-1]['ratio']:.2f} × empty, "
            f"{faults[key]} page faults per run")
    return rows, load()


def table(rows):
    head = ["workload"] + [f"{LABELS[t]} ms" for t in TOOLS]
    head += [f"orvex/{LABELS[t]}" for t in TOOLS[1:]]
    head += ["orvex peak MiB", "largest entry MiB"]
    lines = ["| " + " | ".join(head) + " |", "|---" * len(head) + "|"]
    for r in rows:
        cells = [TITLES[r["workload"]]] + [f"{r[t + '_ms']:.1f}" for t in TOOLS]
        cells += [f"{r['orvex/' + t]:.2f}" for t in TOOLS[1:]]
        cells += [f"{r['orvex_peak_kib'] / 1024:.1f}", f"{r['largest_entry_kib'] / 1024:.2f}"]
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


def startup_table(rows, loops=200):
    lines = [f"| program | ms for {loops} runs | ms per run | × empty static | page faults per run |",
             "|---|---|---|---|---|"]
    for r in rows:
        lines.append(f"| {r['program']} | {r['loop_ms']:.1f} | {r['run_ms']:.2f} | "
                     f"{r['ratio']:.2f} | {r['faults']} |")
    return "\n".join(lines)


def verdict(met):
    return "met" if met else "missed"


def goals(rows, startup_rows):
    lines = []
    for r in rows:
        name = r["workload"]
        ratio = r["orvex/onepiece"]
        lines.append(f"- {name}: orvex/one-piece {ratio:.3f} ≤ {ONE_PIECE_GOAL:.2f}: "
                     + verdict(ratio <= ONE_PIECE_GOAL))
        if name in FLOOR_GOALS:
            ratio = r["orvex/floor"]
            lines.append(f"- {name}: orvex/floor {ratio:.3f} ≤ {FLOOR_GOALS[name]:.2f}: "
                         + verdict(ratio <= FLOOR_GOALS[name]))
        beaten = [t for t in PEERS if r[f"onepiece/{t}"] < 1]
        if beaten:
            slower = [LABELS[t] for t in beaten if r[f"orvex/{t}"] >= 1]
            lines.append(f"- {name}: faster than the peers the one-piece limit beats ("
                         + ", ".join(f"{LABELS[t]} {r[f'orvex/{t}']:.2f}" for t in beaten) + "): "
                         + ("met" if not slower else "missed (" + ", ".join(slower) + ")"))
        limit = r["largest_entry_kib"] + 8 * 1024
        lines.append(f"- {name}: peak {r['orvex_peak_kib'] / 1024:.1f} MiB ≤ largest entry + 8 MiB "
                     f"({limit / 1024:.1f}): " + verdict(r["orvex_peak_kib"] <= limit))
    if startup_rows:
        ratio = next(r["ratio"] for r in startup_rows if r["program"].startswith("orvex, static"))
        lines.append(f"- start-up: the static orvex {ratio:.2f} × a static empty program "
                     f"≤ {STARTUP_GOAL:.2f}: " + verdict(ratio <= STARTUP_GOAL))
    return "\n".join(lines)


def variant_table(rows, variants):
    head = ["workload", "orvex ms"] + [f"{v} ms" for v in variants] + [f"{v}/orvex" for v in variants]
    lines = ["| " + " | ".join(head) + " |", "|---" * len(head) + "|"]
    for r in rows:
        cells = [r["workload"], f"{r['orvex_ms']:.1f}"] + [f"{r[v + '_ms']:.1f}" for v in variants]
        cells += [f"{r[v + '/orvex']:.3f}" for v in variants]
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


def chart(rows, out):
    """An SVG of each tool's time relative to GNU tar per workload, the floor, the
    one-piece limit and the copy marked."""
    if not rows or shutil.which("gnuplot") is None:
        return None
    bars = ["orvex", "tar", "bsdtar", "unzip", "7zz"]
    width = 0.8 / len(bars)
    data = os.path.join(out, "chart.dat")
    with open(data, "w") as f:
        for k, r in enumerate(rows):
            for j, tool in enumerate(bars):
                x = k + (j - (len(bars) - 1) / 2) * width
                f.write(f"{x:.3f} {r[tool + '/tar']:.4f} {j}\n")
        f.write("\n\n")
        for mark in ("floor", "onepiece", "copy"):
            for k, r in enumerate(rows):
                f.write(f"{k - 0.45:.3f} {r[mark + '/tar']:.4f} 0.9 0\n")
            f.write("\n\n")
    svg = os.path.join(out, "chart.svg")
    tics = ", ".join(f'"{r["workload"]}" {k}' for k, r in enumerate(rows))
    values = [r[t + "/tar"] for r in rows for t in bars + ["floor", "onepiece", "copy"]]
    low, high = min(values) / 1.25, max(values) * 1.25
    colors = ["#1f77b4", "#7f7f7f", "#bcbd22", "#9467bd", "#ff7f0e"]
    plots = [f"'{data}' index 0 using 1:($3=={j} ? $2 : 1/0) with boxes fs solid 0.85 "
             f"lc rgb '{colors[j]}' title '{LABELS[tool]}'" for j, tool in enumerate(bars)]
    plots.append(f"'{data}' index 0 using 1:($3==0 ? $2 : 1/0):(sprintf('%.2f', $2)) "
                 f"with labels offset 0,0.6 font ',9' notitle")
    plots.append(f"'{data}' index 1 using 1:2:3:4 with vectors nohead lw 2.5 dt 1 "
                 f"lc rgb '#2ca02c' title 'floor'")
    plots.append(f"'{data}' index 2 using 1:2:3:4 with vectors nohead lw 2.5 dt 3 "
                 f"lc rgb '#000000' title 'one-piece'")
    plots.append(f"'{data}' index 3 using 1:2:3:4 with vectors nohead lw 2.5 dt 2 "
                 f"lc rgb '#d62728' title 'copy'")
    script = f"""set terminal svg size 900,420 dynamic font 'sans,12' background '#ffffff'
set output '{svg}'
set title 'Time relative to GNU tar (lower is faster; median of per-round ratios)'
set ylabel 'time / GNU tar time (log scale)'
set logscale y 2
set yrange [{low:.3f}:{high:.3f}]
set ytics (0.125, 0.25, 0.5, 1, 2, 4, 8, 16)
set xrange [-0.6:{len(rows) - 0.4}]
set xtics ({tics}) scale 0
set grid ytics lc rgb '#dddddd'
set boxwidth {width * 0.92:.3f} absolute
set key outside right top
set arrow from -0.6,1 to {len(rows) - 0.4},1 nohead lc rgb '#7f7f7f' dt 3
plot {", ".join(plots)}
"""
    subprocess.run(["gnuplot"], input=script.encode(), check=True)
    return svg


def machine():
    cpu = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        memory = int(f.readline().split()[1]) // (1024 * 1024)
    tar = subprocess.run(["tar", "--version"], capture_output=True, text=True).stdout.split("\n")[0]
    bsdtar = subprocess.run(["bsdtar", "--version"], capture_output=True, text=True).stdout.split()[1]
    zz = subprocess.run(["7zz"], capture_output=True, text=True).stdout.strip().split("\n")[0]
    return (f"{os.cpu_count()} CPUs ({cpu}), {memory + 1} GiB, Linux {platform.release()}; "
            f"{tar}, bsdtar {bsdtar}, UnZip 6.00, {' '.join(zz.split()[:3])}")


def run(args):
    os.makedirs(args.out, exist_ok=True)
    os.makedirs(args.runs, exist_ok=True)
    started = datetime.datetime.now(datetime.timezone.utc)
    header = [f"Machine: {machine()}.",
              f"Date: {started:%Y-%m-%d %H:%M} UTC; load at start {load()}; "
              f"{args.rounds} counted rounds per workload."]
    variants = dict(v.split("=", 1) for v in args.variant)
    tools = ["orvex"] + list(variants) if variants else TOOLS
    rows, startup_rows, startup_load = [], None, None
    for name in args.workloads:
        if name == "startup":
            if not variants:
                startup_rows, startup_load = time_startup(args.data, args.bin, args.runs,
                                                          args.rounds)
            continue
        runs = os.path.join(args.runs, name)
        os.mkdir(runs)
        rows.append(time_workload(Workload(name, args.data, args.bin, variants), runs,
                                  args.rounds, args.touch_mib, tools))
    rows.sort(key=lambda r: r["workload"])
    finished = datetime.datetime.now(datetime.timezone.utc)
    header[1] += f" Finished {finished:%H:%M} UTC, load {load()}."
    if rows:
        with open(os.path.join(args.out, "results.tsv"), "w", newline="") as f:
            writer = csv.DictWriter(f, fieldnames=list(rows[0]), delimiter="\t")
            writer.writeheader()
            writer.writerows(rows)
    parts = ["\n".join(header)]
    if variants:
        parts.append("\n".join(f"- {v}: {path}" for v, path in variants.items()))
        parts.append(variant_table(rows, variants))
    elif rows:
        parts.append(table(rows))
        parts.append("Load (1, 5, 15 min) before and after each workload's timing: " + "; ".join(
            f"{r['workload']} {r['load_before']} / {r['load_after']}" for r in rows) + ".")
    if startup_rows:
        parts.append(startup_table(startup_rows) + f"\n\nLoad after: {startup_load}.")
    if not variants:
        parts.append(goals(rows, startup_rows))
    svg = None if variants else chart(rows, args.out)
    report = "\n\n".join(parts) + "\n"
    with open(os.path.join(args.out, "results.md"), "w") as f:
        f.write(report)
    print(report)
    log(f"results: {args.out}/results.md" + (f", chart: {svg}" if svg else ""))


def compare(args):
    def read(path):
        with open(path) as f:
            return {r["workload"]: r for r in csv.DictReader(f, delimiter="\t")}
    a, b = read(args.first), read(args.second)
    names = sorted(set(a) & set(b))
    # Results from before the one-piece limit was added lack its column.
    tools = [t for t in TOOLS[1:] if all(f"orvex/{t}" in r[n] for r in (a, b) for n in names)]
    worst = 0.0
    print("| workload | " + " | ".join(f"orvex/{LABELS[t]} (a, b)" for t in tools) + " |")
    print("|---" * (len(tools) + 1) + "|")
    for name in names:
        cells = []
        for tool in tools:
            x, y = float(a[name][f"orvex/{tool}"]), float(b[name][f"orvex/{tool}"])
            cells.append(f"{x:.2f}, {y:.2f}")
            if tool == "tar":
                worst = max(worst, abs(x - y))
        print(f"| {name} | " + " | ".join(cells) + " |")
    print(f"\nLargest difference in orvex/tar between the runs: {worst:.3f} "
          + ("(within 0.05)" if worst <= 0.05 else "(more than 0.05)"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    r = sub.add_parser("run")
    r.add_argument("--data", required=True)
    r.add_argument("--bin", required=True, help="the bench build folder")
    r.add_argument("--runs", required=True, help="where the timed runs write")
    r.add_argument("--out", required=True)
    r.add_argument("--rounds", type=int, default=7)
    r.add_argument("--touch-mib", type=int, default=512)
    r.add_argument("--variant", action="append", default=[], metavar="NAME=PATH",
                   help="another orvex build to time against orvex (then only these run)")
    r.add_argument("workloads", nargs="+")
    c = sub.add_parser("compare")
    c.add_argument("first")
    c.add_argument("second")
    args = parser.parse_args()
    run(args) if args.command == "run" else compare(args)


if __name__ == "__main__":
    main()
