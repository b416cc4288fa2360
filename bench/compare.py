#!/usr/bin/env python3
"""Builds the generated firmware trees with kestrel, make and ninja side by side and writes the
ratios to a Markdown report. Run through bench/run, which builds kestrel first.

Every figure is the median of several runs, the tools taking turns run by run, so that a burst
of load on a shared machine falls on all of them alike. Instruction counts (callgrind) are
given for the no-op build because they do not depend on the load at all.
"""
import argparse
import datetime
import os
import platform
import re
import resource
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def run(command, cwd, check=True):
    result = subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    if check and result.returncode != 0:
        sys.exit(f"{' '.join(command)} failed in {cwd}:\n{result.stderr}")
    return result


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(command, cwd):
    """Wall time, and the processor time of the tool and everything it ran: the second moves
    far less with the load of a shared machine."""
    cpu = children_cpu()
    start = time.perf_counter()
    run(command, cwd)
    return time.perf_counter() - start, children_cpu() - cpu


class Trees:
    """The three trees of one generated size and how each tool builds them."""

    def __init__(self, root, kestrel, jobs=1):
        self.root = root
        with open(f"{root}/env_args") as f:
            env = f.read().split()
        self.commands = {
            "kestrel": [kestrel, "-config", "Debug", *env, "-j", str(jobs), "bench.zav"]
            if jobs != 1 else [kestrel, "-config", "Debug", *env, "bench.zav"],
            "make": ["make", f"-j{jobs}"],
            "ninja": ["ninja", f"-j{jobs}"],
        }

    def tree(self, tool):
        return f"{self.root}/{tool}"

    def build(self, tool):
        return timed(self.commands[tool], self.tree(tool))

    # Outputs go, the generated linker scripts stay (make and ninja have no rule for them).
    def clean(self, tool):
        tree = self.tree(tool)
        for entry in os.listdir(tree):
            debug = f"{tree}/{entry}/Debug"
            if re.fullmatch(r"p\d+", entry) and os.path.isdir(debug):
                for name in os.listdir(debug):
                    if not name.endswith(".ld"):
                        os.remove(f"{debug}/{name}")
        for name in (".ninja_log", ".ninja_deps"):
            if os.path.exists(f"{tree}/{name}"):
                os.remove(f"{tree}/{name}")

    def touch_header(self, tool):
        os.utime(f"{self.tree(tool)}/inc/touch.h")


def medians(trees, tools, runs, before=None, cpu=False):
    """Median wall times by tool, or with `cpu` the median processor times."""
    samples = {tool: [] for tool in tools}
    for _ in range(runs):
        for tool in tools:
            if before:
                before(trees, tool)
            samples[tool].append(trees.build(tool)[1 if cpu else 0])
    return {tool: statistics.median(values) for tool, values in samples.items()}


def peak_memory_mb(trees, tool="kestrel"):
    result = subprocess.run(["/usr/bin/time", "-v", *trees.commands[tool]], cwd=trees.tree(tool),
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    found = re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr)
    return int(found.group(1)) / 1024 if found else float("nan")


def instructions(trees, tool):
    out = f"{trees.root}/callgrind.{tool}.out"
    result = subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
                             "--trace-children=no", *trees.commands[tool]],
                            cwd=trees.tree(tool), stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    found = re.search(r"Collected : (\d+)", result.stderr)
    return int(found.group(1)) if found else 0


def version(command):
    return subprocess.run(command, capture_output=True, text=True).stdout.splitlines()[0]


def load():
    return " / ".join(f"{x:.1f}" for x in os.getloadavg())


def generate(kestrel, out, files, projects, reuse, shape="shared"):
    """Writes the trees; with `reuse`, keeps trees of an earlier run that were built whole."""
    if reuse and os.path.exists(f"{out}/.built"):
        return False
    subprocess.run([sys.executable, f"{HERE}/gen_firmware.py", "--kestrel", kestrel,
                    "--files", str(files), "--projects", str(projects), "--shape", shape, out],
                   check=True, stdout=subprocess.DEVNULL)
    return True


def size_of(pair):
    """"files:projects" or "files:projects:random": the numbers, the shape and the tree's name."""
    parts = pair.split(":")
    files, projects = int(parts[0]), int(parts[1])
    shape = parts[2] if len(parts) > 2 else "shared"
    name = f"{files}x{projects}" + ("" if shape == "shared" else f"-{shape}")
    return files, projects, shape, name


# kestrel logs what it learnt beside the objects. A copy of the logs as the full build left
# them, put back before a run, makes that run the first no-op build after the full build again.
def kestrel_logs(tree):
    for entry in os.listdir(tree):
        debug = f"{tree}/{entry}/Debug"
        if re.fullmatch(r"p\d+", entry) and os.path.isdir(debug):
            for name in os.listdir(debug):
                if name.startswith(".kestrel_deps"):
                    yield f"{debug}/{name}"


def save_first_logs(root):
    saved = f"{root}/first-logs"
    shutil.rmtree(saved, ignore_errors=True)
    tree = f"{root}/kestrel"
    for path in kestrel_logs(tree):
        target = f"{saved}/{os.path.relpath(path, tree)}"
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(path, target)


def restore_first_logs(trees, tool="kestrel"):
    saved = f"{trees.root}/first-logs"
    tree = trees.tree(tool)
    for path in list(kestrel_logs(tree)):
        os.remove(path)
    for directory, _, names in os.walk(saved):
        for name in names:
            source = f"{directory}/{name}"
            shutil.copy2(source, f"{tree}/{os.path.relpath(source, saved)}")


def ms(seconds):
    return f"{seconds * 1000:.0f} ms" if seconds < 10 else f"{seconds:.1f} s"


def ratio(a, b):
    return f"{a / b:.2f}" if b else "n/a"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kestrel", required=True)
    parser.add_argument("--work", default="/tmp/kestrel-bench")
    parser.add_argument("--sizes", default="1000:4,5000:1,5000:1:random,5000:20",
                        help="files:projects[:random] for the no-op, touch and memory figures")
    parser.add_argument("--full-sizes", default="100:1,500:4",
                        help="files:projects pairs for the full -j1 build figure")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--full-runs", type=int, default=3)
    parser.add_argument("--touch-runs", type=int, default=3,
                        help="runs of the build after touching a header (0: none)")
    parser.add_argument("--jobs", type=int, default=2, help="-j of the parallel full build")
    parser.add_argument("--callgrind", action="store_true")
    parser.add_argument("--callgrind-tools", default="kestrel,make,ninja",
                        help="the tools counted with --callgrind (make takes minutes)")
    parser.add_argument("--reuse", action="store_true",
                        help="keep the built trees of an earlier run in --work")
    parser.add_argument("--rebuild-kestrel", action="store_true",
                        help="with --reuse: rebuild the kestrel trees whole first, so that the "
                        "first no-op build is measured after a full build by this kestrel")
    parser.add_argument("--report", default=f"{HERE}/RESULTS.md")
    parser.add_argument("--skip-full", action="store_true", help="only the no-op and touch figures")
    args = parser.parse_args()
    kestrel = os.path.abspath(args.kestrel)
    args.callgrind_tools = args.callgrind_tools.split(",")
    tools = ["kestrel", "make", "ninja"]

    lines = []
    say = lines.append
    say("# kestrel against make and ninja\n")
    say(f"- Date: {datetime.datetime.now().isoformat(timespec='minutes')}")
    say(f"- Machine: {platform.machine()}, {os.cpu_count()} cores, {platform.platform()}")
    say(f"- Load average (1/5/15 min) at the start: {load()}")
    say(f"- Tools: {version(['make', '--version'])}, ninja {version(['ninja', '--version'])}, "
        f"kestrel {kestrel}")
    say("- The machine may be shared with other work: the load average is given for every row.")
    say(f"- Every time is the median of several runs, the three tools taking turns; a ratio "
        f"below 1 means kestrel is faster.\n")

    say("## Full build, one job\n")
    say("Wall time, and the processor time of each tool with everything it ran (CPU).\n")
    say("| files:projects | kestrel | make | ninja | kestrel/make | kestrel/ninja | "
        "CPU kestrel | CPU make | CPU kestrel/make | "
        f"kestrel -j{args.jobs} | make -j{args.jobs} | peak memory (tools included) |")
    say("|---|---|---|---|---|---|---|---|---|---|---|---|")
    for pair in ([] if args.skip_full else args.full_sizes.split(",")):
        files, projects, shape, name = size_of(pair)
        root = f"{args.work}/{name}"
        generate(kestrel, root, files, projects, args.reuse, shape)
        trees = Trees(root, kestrel)
        walls = {tool: [] for tool in tools}
        cpus = {tool: [] for tool in tools}
        for _ in range(args.full_runs):
            for tool in tools:
                trees.clean(tool)
                wall, cpu = trees.build(tool)
                walls[tool].append(wall)
                cpus[tool].append(cpu)
        full = {tool: statistics.median(v) for tool, v in walls.items()}
        cpu = {tool: statistics.median(v) for tool, v in cpus.items()}
        parallel = Trees(root, kestrel, args.jobs)
        par = medians(parallel, ["kestrel", "make"], args.full_runs,
                      lambda t, tool: t.clean(tool))
        for tool in tools:
            trees.clean(tool)
        memory = peak_memory_mb(trees)
        # /usr/bin/time reports the largest of kestrel and the tools it waited for (ld).
        say(f"| {files}:{projects} | {ms(full['kestrel'])} | {ms(full['make'])} | "
            f"{ms(full['ninja'])} | {ratio(full['kestrel'], full['make'])} | "
            f"{ratio(full['kestrel'], full['ninja'])} | {ms(cpu['kestrel'])} | {ms(cpu['make'])} | "
            f"{ratio(cpu['kestrel'], cpu['make'])} | {ms(par['kestrel'])} | "
            f"{ms(par['make'])} | {memory:.0f} MB |")
        print(lines[-1], flush=True)

    say("\n## No-op build and a build after touching one header (10% of the files)\n")
    say("The first no-op build after a full build is measured apart: before each of its runs "
        "kestrel's logs are put back as the full build left them.\n")
    say("| files:projects | no-op kestrel | make | ninja | kestrel/make | kestrel/ninja | "
        "first no-op kestrel | ninja (same turns) | "
        "touch kestrel | make | ninja | kestrel/make | kestrel peak memory (no-op) | load |")
    say("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|")
    counts = []
    for pair in (args.sizes.split(",") if args.sizes else []):
        files, projects, shape, name = size_of(pair)
        root = f"{args.work}/{name}"
        if generate(kestrel, root, files, projects, args.reuse, shape):
            trees = Trees(root, kestrel, 2)
            for tool in tools:
                trees.build(tool)  # the first, full build, with two jobs to save time
            save_first_logs(root)
            open(f"{root}/.built", "w").close()
        elif args.rebuild_kestrel:
            run(Trees(root, kestrel, 2).commands["kestrel"][:-1] + ["-rebuild", "bench.zav"],
                f"{root}/kestrel")
            save_first_logs(root)
        trees = Trees(root, kestrel)
        before = load()
        # ninja logs the dependencies as it compiles: its first no-op build is like the others.
        first = medians(trees, ["kestrel", "ninja"], args.runs,
                        lambda t, tool: restore_first_logs(t) if tool == "kestrel" else None)
        noop = medians(trees, tools, args.runs)
        memory = peak_memory_mb(trees)
        if args.callgrind:
            c = {tool: instructions(trees, tool) if tool in args.callgrind_tools else 0
                 for tool in tools}
            restore_first_logs(trees)
            c["first"] = instructions(trees, "kestrel")
            counts.append((pair, c))
        # Last: the objects it rebuilds are no longer those the saved logs describe.
        if args.touch_runs:
            touch = medians(trees, tools, args.touch_runs, lambda t, tool: t.touch_header(tool))
        touched = (f"{ms(touch['kestrel'])} | {ms(touch['make'])} | {ms(touch['ninja'])} | "
                   f"{ratio(touch['kestrel'], touch['make'])}") if args.touch_runs \
            else "- | - | - | -"
        say(f"| {pair} | {ms(noop['kestrel'])} | {ms(noop['make'])} | "
            f"{ms(noop['ninja'])} | {ratio(noop['kestrel'], noop['make'])} | "
            f"{ratio(noop['kestrel'], noop['ninja'])} | {ms(first['kestrel'])} | "
            f"{ms(first['ninja'])} | {touched} | {memory:.0f} MB | {before} |")
        print(lines[-1], flush=True)

    if counts:
        say("\n## No-op build, instructions executed (callgrind; independent of the load)\n")
        say("| files:projects | kestrel | make | ninja | kestrel/make | kestrel/ninja | "
            "first no-op kestrel | first/ninja |")
        say("|---|---|---|---|---|---|---|---|")
        for pair, c in counts:
            make = f"{c['make'] / 1e6:.0f} M" if c["make"] else "-"
            say(f"| {pair} | {c['kestrel'] / 1e6:.0f} M | {make} | "
                f"{c['ninja'] / 1e6:.0f} M | {ratio(c['kestrel'], c['make'])} | "
                f"{ratio(c['kestrel'], c['ninja'])} | {c['first'] / 1e6:.0f} M | "
                f"{ratio(c['first'], c['ninja'])} |")
    say(f"\n- Load average at the end: {load()}")
    with open(args.report, "w") as f:
        f.write("\n".join(lines) + "\n")
    print(f"wrote {args.report}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
