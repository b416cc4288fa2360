#!/usr/bin/env python3
"""Writes one firmware solution three ways: as a kestrel solution, as a Makefile and as a
build.ninja, each in a tree of its own with identical sources.

    gen_firmware.py --kestrel BIN --files N [--projects P] [--shape shared|random] OUT

The Makefile and build.ninja run exactly the compiler, assembler, archiver and linker command
lines that `kestrel -show -rebuild` prints for the solution, in the same working directory,
and read the same compiler dependency (.d) files, so that the three trees differ only in the
tool that decides what to run. The temporary assembly file kestrel names at random is given a
fixed name beside the object instead.

Two shapes of sources:
    shared   N/20 headers, every source includes four of them (the default)
    random   300 headers, every source includes 30 of them chosen at random (a fixed seed, so
             every run writes the same trees); the include directory is given as an absolute
             path, so the compiler writes absolute paths into the .d files

Layout of each tree (all projects share the solution's directory, so that every relative path
in a command or a .d file means the same from the tree's root):
    inc/h<k>.h       shared headers
    inc/touch.h      included by every tenth source (the "touch one header" figure)
    src/p<k>/f<i>.c  the sources of project p<k>; p0 is the executable, the others libraries
    p<k>/Debug/      objects, dependency files, archives, the executable
"""
import argparse
import os
import random
import re
import shlex
import shutil
import subprocess
import sys

HEADER_COUNT_DIVISOR = 20
HEADERS_PER_SOURCE = 4
TOUCH_EVERY = 10
RANDOM_HEADERS = 300
RANDOM_HEADERS_PER_SOURCE = 30
RANDOM_SEED = 21


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def header_text(k):
    lines = [f"#ifndef H{k}_H", f"#define H{k}_H", f"#define H{k}_SCALE {k + 1}"]
    lines += [f"int h{k}_f{j}(int x);" for j in range(8)]
    lines += [f"static inline int h{k}_inline(int x) {{ return x * H{k}_SCALE + {k}; }}",
              "#endif", ""]
    return "\n".join(lines)


def source_text(project, index, picks, includes_touch):
    lines = [f'#include "h{k}.h"' for k in picks]
    if includes_touch:
        lines.append('#include "touch.h"')
    body = " + ".join(f"h{k}_inline(x + {j})" for j, k in enumerate(picks))
    lines += [f"int p{project}_f{index}(int x)", "{", f"    int s = {body};",
              f"    for (int i = 0; i < {index % 7 + 1}; ++i)", "        s = s * 3 + i;",
              "    return s;", "}", ""]
    return "\n".join(lines)


def main_text(libraries):
    # The first source of project k is f<k>.
    calls = "".join(f"    s += p{k}_f{k}(s);\n" for k in libraries)
    decls = "".join(f"int p{k}_f{k}(int x);\n" for k in libraries)
    return (decls + "int p0_f0(int x);\nint main(void)\n{\n    int s = p0_f0(1);\n" + calls
            + "    return s & 1;\n}\n")


def solution_text(projects, sources, include_dir):
    out = ['<!DOCTYPE Quillmark_Project_File>', '<solution Name="bench" version="2">']
    for k in range(projects - 1, -1, -1):
        if k == 0:
            deps = ";".join(f"p{j}" for j in range(1, projects))
            out.append('  <project Name="p0">')
            out.append('    <configuration Name="Common" project_type="Executable" '
                       f'project_dependencies="{deps}" '
                       'linker_memory_map_file="memory_map.xml" '
                       'link_IOLibraryName="debug"/>')
            out.append('    <file file_name="$(StudioDir)/targets/lm3s6965evb/startup.s"/>')
        else:
            out.append(f'  <project Name="p{k}">')
            out.append('    <configuration Name="Common" project_type="Library"/>')
        out.append('    <folder Name="Source Files">')
        for path in sources[k]:
            out.append(f'      <file file_name="{path}"/>')
        out.append('    </folder>')
        out.append('  </project>')
    out.append('  <configuration Name="Common" arm_architecture="v7M" arm_core_type="Cortex-M3" '
               'arm_instruction_set="Thumb" arm_fp_abi="None" '
               f'c_user_include_directories="{include_dir}" '
               'build_intermediate_directory="$(ProjectName)/$(Configuration)" '
               'build_output_directory="$(ProjectName)/$(Configuration)"/>')
    out.append('  <configuration Name="Debug" build_debug_information="Yes" '
               'gcc_optimization_level="None" c_preprocessor_definitions="DEBUG"/>')
    out.append('</solution>')
    return "\n".join(out) + "\n"


# The board's memory with room for the code of every size generated.
MEMORY_MAP = """<!DOCTYPE Board_Memory_Definition_File>
<Root name="Benchmark board">
  <MemorySegment name="FLASH" start="0x00000000" size="0x01000000" access="ReadOnly"/>
  <MemorySegment name="SRAM" start="0x20000000" size="0x00100000" access="Read/Write"/>
</Root>
"""


def write_sources(tree, files, projects, shape):
    if shape == "random":
        headers = RANDOM_HEADERS
        rng = random.Random(RANDOM_SEED)
        picks = [rng.sample(range(headers), RANDOM_HEADERS_PER_SOURCE) for _ in range(files)]
        include_dir = "$(SolutionDir)/inc"
    else:
        headers = max(20, files // HEADER_COUNT_DIVISOR)
        picks = [[(i * 7 + j * 13) % headers for j in range(HEADERS_PER_SOURCE)]
                 for i in range(files)]
        include_dir = "inc"
    for k in range(headers):
        write(f"{tree}/inc/h{k}.h", header_text(k))
    write(f"{tree}/inc/touch.h", "#define TOUCHED 1\n")
    write(f"{tree}/memory_map.xml", MEMORY_MAP)
    sources = {k: [] for k in range(projects)}
    for i in range(files):
        k = i % projects
        path = f"src/p{k}/f{i}.c"
        sources[k].append(path)
        write(f"{tree}/{path}", source_text(k, i, picks[i], i % TOUCH_EVERY == 0))
    write(f"{tree}/src/p0/main.c", main_text(range(1, projects)))
    sources[0].append("src/p0/main.c")
    write(f"{tree}/bench.zav", solution_text(projects, sources, include_dir))


class Step:
    """One build step as kestrel shows it: its group line and its command lines."""

    def __init__(self, kind, name):
        self.kind = kind
        self.name = name
        self.commands = []


def shown_steps(kestrel, tree, env_args):
    text = subprocess.run([kestrel, "-config", "Debug", "-show", "-rebuild", *env_args,
                           "bench.zav"], cwd=tree, check=True, capture_output=True,
                          text=True).stdout
    steps = []
    for raw in text.splitlines():
        line = raw.strip()
        group = re.match(r"(Compiling|Assembling|Archiving|Linking) (.*)$", line)
        if group:
            steps.append(Step(group.group(1), group.group(2)))
        elif steps and (line.startswith("/") or line.startswith("rm ")):
            steps[-1].commands.append(shlex.split(line))
    return steps


def output_of(step, tree=None):
    """The file a step writes, relative to the tree; an archive by its absolute path in `tree`,
    since that is how the link names it."""
    for words in reversed(step.commands):
        if words[0].endswith("/as") or words[0].endswith("/ld"):
            return words[words.index("-o") + 1]
        if words[0].endswith("/ar"):
            return f"{tree}/{words[2]}" if tree else words[2]
    raise ValueError(f"no output in step {step.name}")


def fixed_temporaries(step, out):
    """Replaces the random temporary name of a compile step by one beside the object."""
    first = step.commands[0]
    if "-o" not in first:
        return step.commands
    temporary = first[first.index("-o") + 1]
    fixed = os.path.join(os.path.dirname(temporary), os.path.basename(out) + ".s")
    return [[fixed if w == temporary else w for w in words] for words in step.commands]


def shell_line(commands):
    parts = []
    for words in commands:
        if words[0] == "rm":
            words = ["rm", "-f"] + words[1:]
        parts.append(" ".join(shlex.quote(w) for w in words))
    return " && ".join(parts)


def rewrite(text, old, new):
    return text.replace(old, new)


def compile_input(step):
    words = step.commands[0]
    return words[words.index("-o") - 1]


def makefile_text(steps, tree, root):
    rules = []
    objects = []
    deps = []
    for step in steps:
        out = output_of(step, tree)
        commands = fixed_temporaries(step, out) if step.kind in ("Compiling", "Assembling") \
            else step.commands
        recipe = rewrite(shell_line(commands), root, tree)
        if step.kind in ("Compiling", "Assembling"):
            source = rewrite(compile_input(step), root, tree)
            rules.append(f"{out}: {source}\n\t@mkdir -p {os.path.dirname(out)}\n\t{recipe}\n")
            deps.append(out[:-2] + ".d")
            objects.append(out)
            continue
        if step.kind == "Archiving":
            inputs = step.commands[-1][3:]
        else:
            link = step.commands[-1]
            start = link.index("--start-group") + 1
            inputs = [w for w in link[start:] if not w.startswith(root + "/lib")
                      and w != "--end-group"]
            inputs = [rewrite(w, root, tree) for w in inputs]
            script = link[link.index("-T") + 1]
            inputs.append(rewrite(script, root, tree))
        rules.append(f"{out}: {' '.join(inputs)}\n\t{recipe}\n")
        objects.append(out)
    final = output_of(steps[-1])
    head = f"all: {final}\n.PHONY: all\n\n"
    tail = "\n" + "".join(f"-include {d}\n" for d in deps)
    return head + "\n".join(rules) + tail


def ninja_text(steps, tree, root):
    out_lines = ["rule cc", "  command = $cmd", "  depfile = $dep", "  deps = gcc",
                 "rule step", "  command = $cmd", ""]
    for step in steps:
        out = output_of(step, tree)
        commands = fixed_temporaries(step, out) if step.kind in ("Compiling", "Assembling") \
            else step.commands
        recipe = rewrite(shell_line(commands), root, tree).replace("$", "$$")
        if step.kind in ("Compiling", "Assembling"):
            source = rewrite(compile_input(step), root, tree)
            out_lines += [f"build {out}: cc {source}", f"  cmd = {recipe}",
                          f"  dep = {out[:-2]}.d"]
            continue
        if step.kind == "Archiving":
            inputs = step.commands[-1][3:]
        else:
            link = step.commands[-1]
            start = link.index("--start-group") + 1
            inputs = [rewrite(w, root, tree) for w in link[start:]
                      if not w.startswith(root + "/lib") and w != "--end-group"]
            inputs.append(rewrite(link[link.index("-T") + 1], root, tree))
        out_lines += [f"build {out}: step {' '.join(inputs)}", f"  cmd = {recipe}"]
    out_lines.append(f"default {output_of(steps[-1])}")
    return "\n".join(out_lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kestrel", required=True, help="path of bin/kestrel")
    parser.add_argument("--files", type=int, default=100)
    parser.add_argument("--projects", type=int, default=1)
    parser.add_argument("--shape", choices=("shared", "random"), default="shared")
    parser.add_argument("out")
    args = parser.parse_args()

    out = os.path.abspath(args.out)
    kestrel = os.path.abspath(args.kestrel)
    trees = {name: f"{out}/{name}" for name in ("kestrel", "make", "ninja")}
    shutil.rmtree(out, ignore_errors=True)
    # The user data and packages directories are the benchmark's own, so that no command line
    # holds a blank (the default per-user directory has one) and no run touches the home.
    env_args = ["-rootuserdir", f"{out}/user", "-packagesdir", f"{out}/packages"]
    write(f"{out}/env_args", " ".join(env_args) + "\n")
    for tree in trees.values():
        write_sources(tree, args.files, args.projects, args.shape)
    steps = shown_steps(kestrel, trees["kestrel"], env_args)
    # -show has generated the executable's linker script; the other trees link with a copy.
    for name in ("make", "ninja"):
        for path in (f"p0/Debug/p0.ld",):
            os.makedirs(os.path.dirname(f"{trees[name]}/{path}"), exist_ok=True)
            shutil.copy(f"{trees['kestrel']}/{path}", f"{trees[name]}/{path}")
    write(f"{trees['make']}/Makefile", makefile_text(steps, trees["make"], trees["kestrel"]))
    write(f"{trees['ninja']}/build.ninja", ninja_text(steps, trees["ninja"], trees["kestrel"]))
    compiles = sum(1 for s in steps if s.kind in ("Compiling", "Assembling"))
    print(f"{out}: {args.files} C files in {args.projects} project(s), {args.shape} headers, "
          f"{compiles} compile "
          f"steps, {len(steps)} steps")
    return 0


if __name__ == "__main__":
    sys.exit(main())
