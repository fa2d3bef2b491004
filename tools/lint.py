#!/usr/bin/env python3
"""clang-tidy over our own sources, each file's clean verdict remembered.

Called by tools/lint.sh once the build is up to date. The sources are those of the build's
compile_commands.json that git tracks (so a new folder is never left out, and what moc or the
header check generate is); the headers reported on are those under any folder git tracks a
header in.

A file found clean is remembered under ~/.cache/corvanel/lint (or $CORVANEL_LINT_CACHE) by a
hash of everything its verdict depends on: its preprocessed text (every header it includes,
moc's output included, with the checkout's and the build's paths taken out so that another
checkout of the same sources shares the verdict), its compile flags, clang-tidy's version, the
checks in .clang-tidy and the header filter. Only a clean verdict is kept: a file with a
finding, or one clang-tidy could not check, is checked again on every run.
"""
import argparse
import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile
import threading


def git_files(root, pattern):
    out = subprocess.run(["git", "-C", root, "ls-files", "-z", "--", pattern],
                         check=True, capture_output=True).stdout
    return [p for p in out.decode().split("\0") if p]


def without_pch(entry):
    """The compile command without the build's precompiled header (the tests' and the
    benchmarks', made by GCC): clang cannot read GCC's, and the source is checked as it is
    written, including what it uses itself."""
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    kept = []
    skip = False
    for i, a in enumerate(args):
        if skip:
            skip = False
        elif a == "-include" and i + 1 < len(args) and os.path.basename(args[i + 1]).startswith("cmake_pch."):
            skip = True
        elif a != "-Winvalid-pch":
            kept.append(a)
    stripped = {k: v for k, v in entry.items() if k != "command"}
    stripped["arguments"] = kept
    return stripped


def preprocess_command(entry):
    """The compile command made to print its preprocessed text, by clang, as clang-tidy sees it."""
    args = entry["arguments"]
    out = ["clang++", "-E", "-Wno-unknown-warning-option"]
    skip = False
    for a in args[1:]:
        if skip:
            skip = False
            continue
        if a in ("-o", "-MF", "-MT", "-MQ"):
            skip = True
            continue
        if a in ("-c", "-MD", "-MMD") or a.startswith("-o"):
            continue
        out.append(a)
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("regex", nargs="?", default="")
    opts = parser.parse_args()
    root = os.path.realpath(opts.root)
    build = os.path.realpath(opts.build)

    header_dirs = sorted({p.split("/")[0] for p in git_files(root, "*.h") if "/" in p})
    header_filter = "^.*/(" + "|".join(map(re.escape, header_dirs)) + ")/.*\\.h$"
    tracked = {os.path.join(root, p) for p in git_files(root, "*.cpp")}
    wanted = re.compile(opts.regex)
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as f:
        entries = {}
        for e in json.load(f):
            path = os.path.realpath(os.path.join(e["directory"], e["file"]))
            if path in tracked and wanted.search("/" + os.path.relpath(path, root)):
                entries[path] = without_pch(e)  # a source built twice (two targets) is checked once
    if not entries:
        print("lint: no source matches", file=sys.stderr)
        return 1

    version = subprocess.run(["clang-tidy", "--version"], check=True,
                             capture_output=True).stdout
    with open(os.path.join(root, ".clang-tidy"), "rb") as f:
        config = f.read()
    cache = os.environ.get("CORVANEL_LINT_CACHE") or os.path.join(
        os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache"), "corvanel", "lint")
    os.makedirs(cache, exist_ok=True)
    # Longest first: the build folder may lie inside the checkout.
    places = sorted({build.encode(), root.encode()}, key=len, reverse=True)

    def key(path, entry):
        pre = subprocess.run(preprocess_command(entry), cwd=entry["directory"],
                             capture_output=True)
        if pre.returncode != 0:
            return None  # clang-tidy will say why
        h = hashlib.sha256()
        for part in (version, config, header_filter.encode(),
                     os.path.relpath(path, root).encode()):
            h.update(part + b"\0")
        text = pre.stdout
        flags = " ".join(preprocess_command(entry)).encode()
        for i, place in enumerate(places):
            text = text.replace(place, b"@%d@" % i)
            flags = flags.replace(place, b"@%d@" % i)
        h.update(flags + b"\0")
        h.update(text)
        return h.hexdigest()

    # clang-tidy reads the commands above from a database of their own.
    commands = tempfile.TemporaryDirectory(prefix="corvanel-lint-")
    with open(os.path.join(commands.name, "compile_commands.json"), "w", encoding="utf-8") as f:
        json.dump(list(entries.values()), f)

    lock = threading.Lock()
    counts = {"cached": 0, "clean": 0, "findings": 0}

    def check(path):
        entry = entries[path]
        rel = os.path.relpath(path, root)
        digest = key(path, entry)
        marker = os.path.join(cache, digest[:2], digest) if digest else None
        if marker and os.path.exists(marker):
            with lock:
                counts["cached"] += 1
                print(f"clang-tidy {rel}: clean (unchanged since checked)", flush=True)
            return
        run = subprocess.run(["clang-tidy", "-quiet", "-p", commands.name,
                              f"-header-filter={header_filter}", path],
                             capture_output=True, text=True)
        output = run.stdout + run.stderr
        clean = run.returncode == 0 and not re.search(r"(warning|error): ", run.stdout)
        if clean and marker:
            os.makedirs(os.path.dirname(marker), exist_ok=True)
            tmp = f"{marker}.{os.getpid()}.{threading.get_ident()}"
            with open(tmp, "w", encoding="utf-8") as f:
                f.write(rel + "\n")
            os.replace(tmp, marker)
        with lock:
            counts["clean" if clean else "findings"] += 1
            print(f"clang-tidy {rel}: {'clean' if clean else 'FINDINGS'}", flush=True)
            if not clean:
                # Only the findings: the "N warnings generated" lines count what the header
                # filter hid.
                print("\n".join(l for l in output.splitlines()
                                if not re.match(r"^\d+ warnings? (and \d+ errors? )?generated", l)
                                and not l.startswith("Suppressed ")
                                and not l.startswith("Use -header-filter")),
                      flush=True)

    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, opts.jobs)) as pool:
        for f in pool.map(check, sorted(entries)):
            pass
    print(f"lint: {len(entries)} files, {counts['clean']} checked clean, "
          f"{counts['cached']} unchanged since found clean, {counts['findings']} with findings")
    return 1 if counts["findings"] else 0


if __name__ == "__main__":
    sys.exit(main())
