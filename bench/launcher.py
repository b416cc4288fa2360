#!/usr/bin/env python3
"""Clean builds through ccache, kestrel beside make, on generated firmware.

    launcher.py --kestrel BIN [--files 500] [--jobs 2] [--body small|realistic] [OUT]

Generates the firmware of gen_firmware.py (with its --body: 11-line sources, or driver sources
of a few hundred lines that include a device header of a few thousand lines) and times, one
after the other in one run:
  - kestrel, cold, without a launcher;
  - kestrel with `-launcher ccache` and an empty cache (cold), then after `-clean` again (warm);
  - make with ccache, cold and warm, compiling with the same driver commands (those of
    kestrel's compile commands file) into a cache of its own;
  - both ccache builds again with ccache's depend mode, which skips the preprocessor run that
    ccache's default mode adds to every compilation it has not seen.
Every build is a clean one: the outputs are removed first. Prints a Markdown table.
"""
import argparse
import json
import os
import resource
import shlex
import shutil
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))


def timed(args, cwd, env):
    """Wall time and processor time (the build and everything it ran) of one build."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    subprocess.run(args, cwd=cwd, env=env, check=True, stdout=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (time.monotonic() - start,
            after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)


def plain_env():
    env = dict(os.environ)
    for name in list(env):
        if name.startswith("CCACHE_") or name == "KESTREL_LAUNCHER":
            del env[name]
    return env


def ccache_env(cache_dir, config):
    """A cache of its own, with `config` (lines of ccache settings) as its only settings."""
    env = plain_env()
    env["CCACHE_DIR"] = cache_dir
    env["CCACHE_CONFIGPATH"] = cache_dir + ".conf"
    with open(env["CCACHE_CONFIGPATH"], "w") as f:
        f.write(config)
    return env


def hits(env):
    text = subprocess.run(["ccache", "--print-stats"], env=env, check=True, capture_output=True,
                          text=True).stdout
    stats = dict(line.split("\t") for line in text.splitlines() if "\t" in line)
    return (int(stats.get("direct_cache_hit", 0)) + int(stats.get("preprocessed_cache_hit", 0)),
            int(stats.get("cache_miss", 0)))


def launched_makefile(makefile, entries, kestrel_tree, make_tree):
    """The generated Makefile with each compile recipe replaced by ccache and the driver
    command of the compile commands file, in the make tree."""
    driver = {}
    for entry in entries:
        words = [w.replace(kestrel_tree, make_tree) for w in entry["arguments"]]
        target = os.path.relpath(entry["output"], kestrel_tree)
        driver[target] = "cd " + shlex.quote(entry["directory"].replace(kestrel_tree, make_tree)) \
            + " && ccache " + " ".join(shlex.quote(w) for w in words)
    blocks = []
    for block in makefile.split("\n\n"):
        lines = block.split("\n")
        target = lines[0].split(":")[0]
        if target in driver:
            lines = [lines[0], lines[1], "\t" + driver[target]]
        blocks.append("\n".join(lines))
    return "\n\n".join(blocks)


def remove_outputs(tree):
    for root, _, files in os.walk(tree):
        for name in files:
            if name.endswith((".o", ".a", ".elf", ".d")):
                os.remove(os.path.join(root, name))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kestrel", required=True)
    parser.add_argument("--files", type=int, default=500)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--body", choices=("small", "realistic"), default="small")
    parser.add_argument("out", nargs="?", default="/tmp/kestrel-launcher-bench")
    args = parser.parse_args()
    out = os.path.abspath(args.out)
    kestrel = os.path.abspath(args.kestrel)
    plain = plain_env()
    subprocess.run([sys.executable, f"{here}/gen_firmware.py", "--kestrel", kestrel,
                    "--files", str(args.files), "--body", args.body, out], check=True,
                   stdout=subprocess.DEVNULL, env=plain)
    ktree, mtree = f"{out}/kestrel", f"{out}/make"
    with open(f"{out}/env_args") as f:
        env_args = f.read().split()
    build = [kestrel, "-config", "Debug", "-j", str(args.jobs), *env_args]

    subprocess.run(build + ["-show", "-compile-commands", f"{out}/cc.json", "bench.zav"],
                   cwd=ktree, env=plain, check=True, stdout=subprocess.DEVNULL)
    with open(f"{out}/cc.json") as f:
        entries = json.load(f)
    with open(f"{mtree}/Makefile") as f:
        makefile = f.read()
    with open(f"{mtree}/Makefile", "w") as f:
        f.write(launched_makefile(makefile, entries, ktree, mtree))

    clean = build + ["-clean", "bench.zav"]
    make = ["make", "-s", f"-j{args.jobs}"]
    rows = []

    subprocess.run(clean, cwd=ktree, env=plain, check=True, stdout=subprocess.DEVNULL)
    cold = timed(build + ["bench.zav"], ktree, plain)
    rows.append(("kestrel, no launcher, cold", cold, None))
    # ccache's default mode runs the preprocessor before every compilation it has not seen;
    # depend mode takes the headers from the dependency file the compilation writes instead.
    for mode, config in (("", ""), (", depend mode", "depend_mode = true\n")):
        kenv = ccache_env(f"{out}/cache-kestrel{mode.strip(', ').replace(' ', '-')}", config)
        menv = ccache_env(f"{out}/cache-make{mode.strip(', ').replace(' ', '-')}", config)
        subprocess.run(clean, cwd=ktree, env=plain, check=True, stdout=subprocess.DEVNULL)
        rows.append((f"kestrel -launcher ccache{mode}, empty cache",
                     timed(build + ["-launcher", "ccache", "bench.zav"], ktree, kenv), hits(kenv)))
        subprocess.run(clean, cwd=ktree, env=plain, check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["ccache", "--zero-stats"], env=kenv, check=True, stdout=subprocess.DEVNULL)
        rows.append((f"kestrel -launcher ccache{mode}, warm cache",
                     timed(build + ["-launcher", "ccache", "bench.zav"], ktree, kenv), hits(kenv)))
        remove_outputs(mtree)
        rows.append((f"make + ccache{mode}, empty cache", timed(make, mtree, menv), hits(menv)))
        remove_outputs(mtree)
        subprocess.run(["ccache", "--zero-stats"], env=menv, check=True, stdout=subprocess.DEVNULL)
        rows.append((f"make + ccache{mode}, warm cache", timed(make, mtree, menv), hits(menv)))

    print(f"{args.files} C files ({args.body} sources), -j {args.jobs}, clean builds, "
          "one run each\n")
    print("| build | wall time | × cold kestrel | processor time | × cold kestrel | ccache hits / misses |")
    print("|---|---|---|---|---|---|")
    for name, (wall, cpu), counts in rows:
        tally = "-" if counts is None else f"{counts[0]} / {counts[1]}"
        print(f"| {name} | {wall:.2f} s | {wall / cold[0]:.3f} | {cpu:.2f} s | {cpu / cold[1]:.3f} "
              f"| {tally} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
