#!/usr/bin/env python3
"""Turns the results of bench/compare.sh into docs/benchmarks.md and its chart.

    report.py WORK_DIR DOCS_DIR
"""

import json
import os
import platform
import statistics
import subprocess
import sys

CORPORA = [
    ("small", "typical 2 KB config: 16 sections, comments"),
    ("medium", "1,000 sections of 20 keys, 30 to 60 byte values"),
    ("large", "20,000 sections of 50 keys, 30 to 60 byte values"),
    ("long", "100 sections of 10 keys, 10,000 byte values (1,000 long lines)"),
]
# Shapes of a million key lines, and of two million for the growth; timed against
# git config alone.
SHAPES = [
    ("sections", "a million sections of one key each"),
    ("keys", "one section of a million keys"),
    ("repeated", "50 sections whose header stands before every key line"),
]
SHAPE_FILES = [(f"{shape}{size}", description if size == "1m" else
                f"the same with twice the key lines")
               for shape, description in SHAPES for size in ("1m", "2m")]
ALL_FILES = CORPORA + SHAPE_FILES
OPERATIONS = [
    ("read", "read one key"),
    ("list", "list everything"),
    ("set", "set one key"),
    ("delete", "delete one key"),
]
TOOLS = ["nothing", "cat", "inikey", "git config", "crudini", "configparser"]
PEERS = ["git config", "crudini", "configparser"]


def command_output(*command):
    try:
        text = subprocess.run(command, capture_output=True, text=True, check=False)
        return (text.stdout or text.stderr).strip().splitlines()[0]
    except (OSError, IndexError):
        return "?"


def load_medians(work):
    medians = {}
    runs = {}
    cpu = {}
    for corpus, _ in ALL_FILES:
        for operation, _ in OPERATIONS:
            path = os.path.join(work, "results", f"{corpus}-{operation}.json")
            with open(path, encoding="utf-8") as source:
                for result in json.load(source)["results"]:
                    key = (corpus, operation, result["command"])
                    medians[key] = statistics.median(result["times"])
                    runs[key] = len(result["times"])
                    cpu[key] = result["user"] + result["system"]
    return medians, runs, cpu


def load_table(path, width):
    rows = {}
    with open(path, encoding="utf-8") as source:
        for line in source:
            fields = line.rstrip("\n").split("\t")
            if len(fields) == width and fields[-1]:
                rows[tuple(fields[:-1])] = int(fields[-1])
    return rows


def milliseconds(seconds):
    value = seconds * 1000
    return f"{value:.2f}" if value < 10 else f"{value:.1f}" if value < 100 else f"{value:.0f}"


def megabytes(kilobytes):
    return f"{kilobytes / 1024:.1f}"


def machine():
    model = "?"
    with open("/proc/cpuinfo", encoding="utf-8") as source:
        for line in source:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo", encoding="utf-8") as source:
        memory = int(source.readline().split()[1]) / 1024 / 1024
    system = "?"
    if os.path.exists("/etc/os-release"):
        with open("/etc/os-release", encoding="utf-8") as source:
            for line in source:
                if line.startswith("PRETTY_NAME="):
                    system = line.split("=", 1)[1].strip().strip('"')
    return f"{model}, {os.cpu_count()} cores, {memory:.0f} GiB; {system}, Linux {platform.release()}"


def chart(work, docs, medians):
    data = os.path.join(work, "results", "ratios.dat")
    labels = []
    with open(data, "w", encoding="utf-8") as out:
        out.write("# cell inikey crudini configparser\n")
        for corpus, _ in CORPORA:
            for operation, _ in OPERATIONS:
                git = medians[(corpus, operation, "git config")]
                ratios = [medians[(corpus, operation, tool)] / git
                          for tool in ("inikey", "crudini", "configparser")]
                label = f"{corpus}\\n{operation}"
                labels.append(label)
                out.write(f"\"{label}\" " + " ".join(f"{r:.4f}" for r in ratios) + "\n")
    script = f"""
set terminal pngcairo size 960,400 font "Sans,9"
set output "{os.path.join(docs, 'benchmarks.png')}"
set title "Time relative to git config -f (1 = as fast; lower is faster; log scale)"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.9 border -1
set logscale y
set yrange [0.01:1000]
set grid ytics
set key top right
set bmargin 4
set xtics font "Sans,8"
plot "{data}" using 2:xtic(1) title "inikey" linecolor rgb "#1b7837", \\
     "" using 3 title "crudini" linecolor rgb "#999999", \\
     "" using 4 title "configparser" linecolor rgb "#762a83", \\
     1 notitle with lines linecolor rgb "#000000" dashtype 2
"""
    subprocess.run(["gnuplot"], input=script, text=True, check=True)


def main():
    work, docs = sys.argv[1], sys.argv[2]
    medians, runs, cpu = load_medians(work)
    memory = load_table(os.path.join(work, "results", "memory.tsv"), 4)
    instructions = load_table(os.path.join(work, "results", "instructions.tsv"), 3)
    sizes = {corpus: os.path.getsize(os.path.join(work, "corpus", f"{corpus}.ini"))
             for corpus, _ in ALL_FILES}

    def median(corpus, operation, tool):
        return medians.get((corpus, operation, tool), float("inf"))

    def ratio(corpus, operation, tool="inikey", against="git config"):
        return median(corpus, operation, tool) / median(corpus, operation, against)

    def fastest_peer(corpus, operation):
        return min(PEERS, key=lambda peer: median(corpus, operation, peer))

    lines = []
    add = lines.append
    add("# Benchmarks")
    add("")
    add("How long inikey takes to read or change an INI file from a shell, against "
        "`git config -f`, `crudini` and Python's `configparser`. Everything on this "
        "page comes from one run of `bench/compare.sh`, which builds the tool, generates "
        "the files and writes this page; rerun it to check the figures on another machine.")
    add("")
    with open(os.path.join(work, "results", "run.txt"), encoding="utf-8") as source:
        started, commit, python, load = source.read().splitlines()[:4]
    add(f"- Machine: {machine()}")
    add(f"- Run: {started}; inikey built from commit {commit}, statically linked, "
        f"by {command_output('g++', '--version')}")
    add(f"- Peers: {command_output('git', '--version')}; "
        f"{command_output('crudini', '--version')}; "
        f"{python} configparser; "
        f"{command_output('hyperfine', '--version')}")
    add("- Floors: `nothing`, a statically linked C program whose `main` returns 0, "
        "and `cat FILE > /dev/null`.")
    add(f"- Load average when the timings began: {load.replace(' ', ' / ')} "
        "(1, 5 and 15 minutes); "
        "whatever else runs on the machine shares its cores and widens the spread.")
    add("")
    add("## Files")
    add("")
    add("| file | size | content | key read, set and deleted |")
    add("|---|---:|---|---|")
    for corpus, description in ALL_FILES:
        add(f"| {corpus}.ini | {sizes[corpus]:,} bytes | {description} | the last key "
            f"of the last section in the file |")
    add("")
    add("Generated by `bench/generate.py`, byte for byte the same on every run. Sections "
        "and keys stand in shuffled order. Each write run works on a fresh copy of the "
        "file, made by hyperfine's `--prepare` and not timed. Output goes to /dev/null. "
        "The shapes (names like `s0123456`, `key0123456`, values like `v0123456`) are "
        "timed against git config alone, three runs each: the Python tools take minutes "
        "on them.")
    add("")
    add("## Times")
    add("")
    add("Median wall-clock time in milliseconds; each row is one hyperfine run with all "
        "its commands side by side (runs per command in brackets where fewer than 10).")
    add("")
    add("| file | operation | nothing | cat | **inikey** | git config | crudini | "
        "configparser | inikey ÷ git config | inikey ÷ fastest peer |")
    add("|---|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    for corpus, _ in ALL_FILES:
        for operation, _ in OPERATIONS:
            cells = []
            for tool in TOOLS:
                if (corpus, operation, tool) not in medians:
                    cells.append("–")
                    continue
                text = milliseconds(median(corpus, operation, tool))
                count = runs[(corpus, operation, tool)]
                if count < 10:
                    text += f" [{count}]"
                cells.append(f"**{text}**" if tool == "inikey" else text)
            peer = fastest_peer(corpus, operation)
            add(f"| {corpus} | {operation} | " + " | ".join(cells) +
                f" | {ratio(corpus, operation):.2f} | "
                f"{ratio(corpus, operation, against=peer):.2f} ({peer}) |")
    add("")
    add("![Time relative to git config](benchmarks.png)")
    add("")
    add("Processor time (user and system, mean of the same runs) depends less on what "
        "else the machine is doing than wall-clock time does:")
    add("")
    add("| file | " + " | ".join(f"{operation}: inikey, git config, ratio"
                               for operation, _ in OPERATIONS) + " |")
    add("|---|" + "---:|" * len(OPERATIONS))
    for corpus, _ in ALL_FILES:
        cells = []
        for operation, _ in OPERATIONS:
            inikey = cpu[(corpus, operation, "inikey")]
            git = cpu[(corpus, operation, "git config")]
            cells.append(f"{milliseconds(inikey)}, {milliseconds(git)}, {inikey / git:.2f}")
        add(f"| {corpus} | " + " | ".join(cells) + " |")
    add("")
    add("## Instructions")
    add("")
    add("User-space instructions of one run reading the key, counted by "
        "`valgrind --tool=callgrind`.")
    add("")
    add("| file | nothing | inikey | git config | inikey per byte | git config per byte |")
    add("|---|---:|---:|---:|---:|---:|")
    for corpus in ("small", "medium"):
        inikey = instructions[(corpus, "inikey")]
        git = instructions[(corpus, "git config")]
        nothing = f"{instructions[('small', 'nothing')]:,}" if corpus == "small" else ""
        add(f"| {corpus} | {nothing} | {inikey:,} | {git:,} | {inikey / sizes[corpus]:.1f} | "
            f"{git / sizes[corpus]:.1f} |")
    add("")
    add("## Peak memory")
    add("")
    add("Maximum resident set size in MiB (`/usr/bin/time -v`), for reading one key and "
        "for setting one, and for the shapes also for listing everything.")
    add("")
    add("| file | operation | nothing | cat | **inikey** | git config | crudini | configparser |"
        " inikey ÷ file size |")
    add("|---|---|---:|---:|---:|---:|---:|---:|---:|")
    for corpus, _ in ALL_FILES:
        for operation in ("read", "list", "set"):
            if (corpus, operation, "inikey") not in memory:
                continue
            cells = [megabytes(memory[(corpus, operation, tool)])
                     if (corpus, operation, tool) in memory else "–" for tool in TOOLS]
            cells[2] = f"**{cells[2]}**"
            share = memory[(corpus, operation, "inikey")] * 1024 / sizes[corpus]
            add(f"| {corpus} | {operation} | " + " | ".join(cells) + f" | {share:.1f} |")
    add("")

    add("## Shapes")
    add("")
    add("Each shape at a million key lines, as a ratio of inikey's median time to git "
        "config's; growth is the time of the file of two million lines divided by that "
        "of the file of one million (2.0 is cost in step with the file).")
    add("")
    add("| shape | read | list | set | delete | growth, list: inikey, git config | "
        "growth, set: inikey, git config | peak memory, list: MiB, ÷ file size |")
    add("|---|---:|---:|---:|---:|---:|---:|---:|")
    for shape, description in SHAPES:
        one, two = f"{shape}1m", f"{shape}2m"
        cells = [f"{ratio(one, operation):.2f}" for operation, _ in OPERATIONS]
        for operation in ("list", "set"):
            cells.append(", ".join(f"{median(two, operation, tool) / median(one, operation, tool):.2f}"
                                   for tool in ("inikey", "git config")))
        peak = memory.get((one, "list", "inikey"), 0)
        cells.append(f"{megabytes(peak)}, {peak * 1024 / sizes[one]:.1f}")
        add(f"| {description} | " + " | ".join(cells) + " |")
    add("")

    def verdict(value, limit):
        return "met" if value <= limit else "**not met**"

    small_floor = ratio("small", "read", against="nothing")
    small_count = instructions[("small", "inikey")]
    per_byte = instructions[("medium", "inikey")] / sizes["medium"]
    large_memory = max(memory[("large", operation, "inikey")] for operation in ("read", "set"))
    large_share = large_memory * 1024 / sizes["large"]
    targets = [
        ("2 KB, read one key: time", "≤ 1.1 × nothing", f"{small_floor:.2f} ×",
         verdict(small_floor, 1.1)),
        ("2 KB, read one key: instructions", "≤ 70,000", f"{small_count:,}",
         verdict(small_count, 70000)),
        ("1 MB, read one key: time", "≤ 0.35 × git config",
         f"{ratio('medium', 'read'):.2f} ×", verdict(ratio("medium", "read"), 0.35)),
        ("1 MB, read one key: instructions", "≤ 20 a byte", f"{per_byte:.1f}",
         verdict(per_byte, 20)),
    ]
    for operation, limit in (("list", 0.6), ("set", 0.5), ("delete", 0.5)):
        value = ratio("medium", operation)
        targets.append((f"1 MB, {operation}", f"≤ {limit} × git config", f"{value:.2f} ×",
                        verdict(value, limit)))
    for operation, limit in (("read", 0.5), ("list", 0.6), ("set", 0.5), ("delete", 0.5)):
        value = ratio("large", operation)
        targets.append((f"50 MB, {operation}", f"≤ {limit} × git config", f"{value:.2f} ×",
                        verdict(value, limit)))
    for operation, _ in OPERATIONS:
        peer = fastest_peer("long", operation)
        value = ratio("long", operation, against=peer)
        targets.append((f"10 MB long lines, {operation}", "≤ 0.3 × fastest peer",
                        f"{value:.2f} × {peer}", verdict(value, 0.3)))
    targets.append(("50 MB, peak memory", "≤ 3 × file size",
                    f"{large_share:.2f} × ({megabytes(large_memory)} MiB)",
                    verdict(large_share, 3)))
    for shape, description in SHAPES:
        one, two = f"{shape}1m", f"{shape}2m"
        limit = 3 if shape == "sections" else 2
        targets.append((f"{description}: list", f"≤ {limit} × git config",
                        f"{ratio(one, 'list'):.2f} ×", verdict(ratio(one, "list"), limit)))
        for operation in ("set", "delete"):
            targets.append((f"{description}: {operation}", "≤ 1.0 × git config",
                            f"{ratio(one, operation):.2f} ×", verdict(ratio(one, operation), 1.0)))
        targets.append((f"{description}: read one key", "≤ 0.5 × git config",
                        f"{ratio(one, 'read'):.2f} ×", verdict(ratio(one, "read"), 0.5)))
        for operation in ("list", "set"):
            growth = median(two, operation, "inikey") / median(one, operation, "inikey")
            targets.append((f"{description}: {operation}, 2M lines ÷ 1M lines", "≤ 2.2",
                            f"{growth:.2f}", verdict(growth, 2.2)))
    add("## Targets")
    add("")
    add("| case | target | measured | |")
    add("|---|---|---:|---|")
    for case, target, value, result in targets:
        add(f"| {case} | {target} | {value} | {result} |")
    add("")

    # The profiles behind the targets not met are written by hand, not measured here.
    findings = os.path.join(os.path.dirname(os.path.abspath(__file__)), "findings.md")
    if os.path.exists(findings):
        with open(findings, encoding="utf-8") as source:
            lines.extend(source.read().rstrip("\n").split("\n"))
        add("")

    os.makedirs(docs, exist_ok=True)
    chart(work, docs, medians)
    with open(os.path.join(docs, "benchmarks.md"), "w", encoding="utf-8") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main()
