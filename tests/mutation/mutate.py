#!/usr/bin/env python3
"""Mutation run: does the test suite notice the faults a person would notice?

Each mutant in mutants.txt is one small fault, given as a piece of source text and what
replaces it. The runner works on a scratch copy of the tree (build-mutate/, built in
build-mutate/build), so the working tree is never touched. For each mutant it:

  1. finds the one source file that holds the piece, wherever the code now lives (every
     top-level folder but tests, bench, packaging, assets and the build folders); a piece
     found nowhere or more than once is reported as an error, never as a kill;
  2. writes the fault in, builds the test its entry names as the expected killer and runs
     that (one test function, or "function:row", where the entry names one; a name the
     test does not have is found on the unchanged tree first and is an error);
  3. only if that passes, builds everything and runs the other tests (not the client
     tests, not the packaging checks, not the long random session), stopping at the
     first that fails;
  4. writes the original text back, with a fresh time stamp so the next build compiles
     the file again.

A kill counts only when a fixed test row fails: a failure of the random session alone
(randomSession, which draws its actions from a seed) is noted but does not count, as it
would not catch the fault on every run. The run prints each mutant with the test row that
killed it, and the kill rate; any survivor or error makes it exit with status 1.

    tests/mutation/mutate.py [--only NAME,NAME...] [--list] [--check] [--jobs N] [--no-baseline]

CMAKE_FLAGS in the environment is passed to the scratch build's configuration (e.g.
-DCMAKE_CXX_COMPILER_LAUNCHER=ccache).
"""

import argparse
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SCRATCH = os.environ.get("MUTATE_DIR", os.path.join(ROOT, "build-mutate"))
BUILD = os.path.join(SCRATCH, "build")

# Folders that hold no program source; everything else at the top level may.
NOT_SOURCE = {"tests", "bench", "packaging", "assets", "docs", ".git", ".github"}
SOURCE_SUFFIXES = (".cpp", ".h", ".hpp", ".cc")
# Tests that do not run in a mutation run: the client tests (a real desktop session each,
# minutes apiece), the packaging checks (install rules, untouched by any mutant) and the
# long random session, whose kills would not be every run's.
SKIPPED_TESTS = re.compile(r"^(packaging_.*|tst_frmgui_session)$")
RANDOM_FUNCTIONS = {"randomSession"}
# The short random session that the flow test runs by itself: a fixed seed, few actions.
TEST_ENV = {"PELLIMOR_SEED": "1", "PELLIMOR_SESSION_ACTIONS": "200"}
TEST_TIMEOUT = 300


class Mutant:
    def __init__(self, name, line):
        self.name, self.line = name, line
        self.sees = self.killer = self.find = self.replace = None
        self.status, self.killed_by, self.detail, self.file, self.seconds = "", "", "", "", 0.0


def parse_mutants(path):
    """Blocks of "[name]" then "sees:", "killer:", "find:", "replace:" lines; a line that
    starts with "|" continues the value above it on a new line. Nothing is escaped."""
    mutants, current, key = [], None, None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if line.startswith("|"):
                if current is None or key is None:
                    sys.exit(f"{path}:{number}: a continuation line with nothing to continue")
                setattr(current, key, getattr(current, key) + "\n" + line[1:])
                continue
            if not line.strip() or line.lstrip().startswith("#"):
                key = None
                continue
            m = re.match(r"^\[([\w-]+)\]$", line)
            if m:
                current, key = Mutant(m.group(1), number), None
                mutants.append(current)
                continue
            m = re.match(r"^(sees|killer|find|replace): ?(.*)$", line)
            if not m or current is None:
                sys.exit(f"{path}:{number}: not understood: {line}")
            key = m.group(1)
            setattr(current, key, m.group(2))
    names = set()
    for mutant in mutants:
        for field in ("sees", "killer", "find", "replace"):
            if getattr(mutant, field) is None:
                sys.exit(f"{path}:{mutant.line}: [{mutant.name}] has no {field}")
        if mutant.name in names:
            sys.exit(f"{path}:{mutant.line}: [{mutant.name}] is listed twice")
        if mutant.find == mutant.replace:
            sys.exit(f"{path}:{mutant.line}: [{mutant.name}] changes nothing")
        names.add(mutant.name)
    return mutants


def run(command, cwd=None, env=None, timeout=None, quiet=True):
    started = time.monotonic()
    try:
        done = subprocess.run(command, cwd=cwd, env=env, timeout=timeout, text=True, errors="replace",
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        code, output = done.returncode, done.stdout
    except subprocess.TimeoutExpired as e:
        out = e.stdout or ""
        code, output = "timeout", out if isinstance(out, str) else out.decode(errors="replace")
    if not quiet:
        print(output, end="")
    return code, output, time.monotonic() - started


# ---- The scratch copy -----------------------------------------------------------------

def source_files(top):
    """Every file of the tree, by path relative to top, build folders and git left out."""
    found = []
    for folder, dirs, files in os.walk(top):
        rel = os.path.relpath(folder, top)
        if rel == ".":
            dirs[:] = [d for d in dirs if not d.startswith("build") and d != ".git"]
        for name in files:
            found.append(os.path.normpath(os.path.join(rel, name)))
    return found


def sync_scratch():
    """Makes the scratch copy equal to the tree; files that did not change keep their time
    stamps, so the build after it is incremental. Files gone from the tree go from the copy
    too, or a piece of code moved elsewhere would be found twice."""
    os.makedirs(SCRATCH, exist_ok=True)
    wanted = set(source_files(ROOT))
    for rel in sorted(wanted):
        src, dst = os.path.join(ROOT, rel), os.path.join(SCRATCH, rel)
        with open(src, "rb") as f:
            data = f.read()
        try:
            with open(dst, "rb") as f:
                same = f.read() == data
        except OSError:
            same = False
        if not same:
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            with open(dst, "wb") as f:
                f.write(data)
            shutil.copymode(src, dst)
    for rel in source_files(SCRATCH):
        if rel not in wanted:
            os.remove(os.path.join(SCRATCH, rel))


def program_sources():
    files = []
    for entry in sorted(os.listdir(SCRATCH)):
        if entry in NOT_SOURCE or entry.startswith("build") or entry.startswith("."):
            continue
        top = os.path.join(SCRATCH, entry)
        if not os.path.isdir(top):
            continue
        for folder, _, names in os.walk(top):
            files += [os.path.join(folder, n) for n in sorted(names) if n.endswith(SOURCE_SUFFIXES)]
    return files


def locate(mutant, files):
    """The one file holding the mutant's piece, or an error text."""
    places = []
    for path in files:
        with open(path, encoding="utf-8", errors="replace") as f:
            count = f.read().count(mutant.find)
        places += [path] * count
    if len(places) != 1:
        where = ", ".join(os.path.relpath(p, SCRATCH) for p in places) or "nowhere"
        return None, f"the piece is found {len(places)} times ({where}): {mutant.find!r}"
    return places[0], None


def build(target=None, jobs=2):
    command = ["cmake", "--build", BUILD, "-j", str(jobs)]
    if target:
        command += ["--target", target]
    code, output, _ = run(command)
    return code == 0, output


# ---- Tests ------------------------------------------------------------------------------

class Test:
    def __init__(self, entry):
        self.name = entry["name"]
        self.command = entry["command"]
        props = {p["name"]: p["value"] for p in entry.get("properties", [])}
        self.env = dict(os.environ)
        self.env.update(TEST_ENV)
        for item in props.get("ENVIRONMENT", []):
            key, _, value = item.partition("=")
            self.env[key] = value
        self.cwd = props.get("WORKING_DIRECTORY", BUILD)
        self.labels = props.get("LABELS", [])
        self.skip_code = props.get("SKIP_RETURN_CODE")
        # The executable the test runs, whose target has the same name.
        binaries = [c for c in self.command if c.startswith(BUILD + os.sep) and os.access(c, os.X_OK)]
        self.target = os.path.basename(binaries[0]) if binaries else None


def load_tests():
    code, output, _ = run(["ctest", "--show-only=json-v1"], cwd=BUILD)
    if code != 0:
        sys.exit("ctest could not list the tests:\n" + output)
    tests = [Test(t) for t in json.loads(output)["tests"]]
    return [t for t in tests if "client" not in t.labels and not SKIPPED_TESTS.match(t.name)]


FAIL_LINE = re.compile(r"^FAIL!\s*:\s*\w+::(\w+)\(([^)]*)\)(.*)$")
# What QtTest says when asked for a function or a row it does not have.
NOT_FOUND = re.compile(r"^(Unknown test function: .*|Unknown testdata for function .*)$", re.M)


def run_test(test, functions=()):
    """None when the test passes (or skips); else (what failed, counts as a kill)."""
    command = list(test.command) + list(functions)
    code, output, seconds = run(command, cwd=test.cwd, env=test.env, timeout=TEST_TIMEOUT)
    missing = NOT_FOUND.search(output)
    if missing:   # a wrong name in the list, never a kill
        return (f"{test.name}: {missing.group(1).strip()}", None), seconds
    if code == 0 or (test.skip_code is not None and code == int(test.skip_code)):
        return None, seconds
    fails = []
    for line in output.splitlines():
        m = FAIL_LINE.match(line)
        if m:
            fails.append((m.group(1), m.group(2), m.group(3).strip()))
    if code == "timeout":
        return (f"{test.name}: timed out after {TEST_TIMEOUT} s", True), seconds
    if not fails:
        last = [l for l in output.splitlines() if l.strip()][-1:] or [f"exit status {code}"]
        return (f"{test.name}: ended with status {code} ({last[0].strip()[:160]})", True), seconds
    fixed = [f for f in fails if f[0] not in RANDOM_FUNCTIONS]
    shown = fixed[0] if fixed else fails[0]
    text = f"{test.name} {shown[0]}({shown[1]})"
    return (text, bool(fixed)), seconds


def split_killer(mutant, tests):
    # The test's name, then one argument for it: a function, or "function:row".
    words = mutant.killer.strip().split(None, 1)
    by_name = {t.name: t for t in tests}
    if not words or words[0] not in by_name:
        return None, [], f"the expected killer {mutant.killer!r} is not one of the tests run"
    return by_name[words[0]], words[1:], None


# ---- The run ----------------------------------------------------------------------------

def try_mutant(mutant, files, tests, jobs):
    started = time.monotonic()
    killer, functions, error = split_killer(mutant, tests)
    path, located_error = locate(mutant, files)
    error = error or located_error
    if error:
        mutant.status, mutant.detail = "ERROR", error
        return
    mutant.file = os.path.relpath(path, SCRATCH)
    with open(path, encoding="utf-8") as f:
        original = f.read()
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original.replace(mutant.find, mutant.replace, 1))
        notes = []
        ok, output = build(killer.target, jobs)
        if not ok:
            mutant.status, mutant.detail = "ERROR", "the mutant does not build:\n" + tail(output)
            return
        result, _ = run_test(killer, functions)
        if result and result[1] is None:
            mutant.status, mutant.detail = "ERROR", result[0]
            return
        if result and result[1]:
            mutant.status, mutant.killed_by = "killed", result[0]
            return
        if result:
            notes.append("random session only: " + result[0])
        ok, output = build(None, jobs)
        if not ok:
            mutant.status, mutant.detail = "ERROR", "the mutant does not build:\n" + tail(output)
            return
        for test in tests:
            if test is killer and not functions:
                continue
            result, _ = run_test(test)
            if result and result[1]:
                mutant.status, mutant.killed_by = "killed", result[0]
                mutant.detail = f"not by the expected killer {mutant.killer}"
                return
            if result:
                notes.append("random session only: " + result[0])
        mutant.status, mutant.detail = "SURVIVED", "; ".join(notes)
    finally:
        # A fresh time stamp: the objects built from the mutant are older than the file now.
        with open(path, "w", encoding="utf-8") as f:
            f.write(original)
        now = time.time()
        os.utime(path, (now, now))
        mutant.seconds = time.monotonic() - started


def tail(text, lines=15):
    return "\n".join(text.splitlines()[-lines:])


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--only", help="comma-separated mutant names to run")
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    parser.add_argument("--check", action="store_true",
                        help="only check that each piece is found exactly once, without building")
    parser.add_argument("--jobs", type=int, default=int(os.environ.get("JOBS", "2")))
    parser.add_argument("--no-baseline", action="store_true",
                        help="skip the run of every test on the unchanged tree")
    parser.add_argument("--mutants", default=os.path.join(HERE, "mutants.txt"))
    args = parser.parse_args()

    mutants = parse_mutants(args.mutants)
    if args.only:
        chosen = set(args.only.split(","))
        unknown = chosen - {m.name for m in mutants}
        if unknown:
            sys.exit("no such mutant: " + ", ".join(sorted(unknown)))
        mutants = [m for m in mutants if m.name in chosen]
    if args.list:
        for m in mutants:
            print(f"{m.name:28} {m.killer:40} {m.sees}")
        return 0

    started = time.monotonic()
    print(f"Scratch copy in {SCRATCH}", flush=True)
    sync_scratch()
    if args.check:
        files, errors = program_sources(), 0
        for m in mutants:
            path, error = locate(m, files)
            errors += bool(error)
            print(f"{m.name:28} {error or os.path.relpath(path, SCRATCH)}")
        return 1 if errors else 0
    if not os.path.exists(os.path.join(BUILD, "CMakeCache.txt")):
        flags = shlex.split(os.environ.get("CMAKE_FLAGS", ""))
        code, output, _ = run(["cmake", "-S", SCRATCH, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release"] + flags)
        if code != 0:
            sys.exit("configuring the scratch build failed:\n" + output)
    ok, output = build(None, args.jobs)
    if not ok:
        sys.exit("the unchanged scratch tree does not build:\n" + tail(output, 40))
    tests = load_tests()
    print(f"Built in {time.monotonic() - started:.0f} s; tests run: {', '.join(t.name for t in tests)}", flush=True)

    if not args.no_baseline:
        base_started = time.monotonic()
        for test in tests:
            result, seconds = run_test(test)
            print(f"  baseline {test.name}: {'passes' if not result else 'FAILS: ' + result[0]} ({seconds:.1f} s)",
                  flush=True)
            if result and result[1]:
                sys.exit("a test fails on the unchanged tree; a mutation run would prove nothing")
        print(f"Baseline: every test passes ({time.monotonic() - base_started:.0f} s)", flush=True)

    # Each expected killer that names a function or a row must have it: asked on the
    # unchanged tree, it passes.
    checked, broken = {}, 0
    for mutant in mutants:
        killer, functions, error = split_killer(mutant, tests)
        key = mutant.killer.strip()
        if not error and functions and key not in checked:
            result, _ = run_test(killer, functions)
            checked[key] = None if not result else result[0]
        error = error or checked.get(key)
        if error:
            broken += 1
            print(f"  [{mutant.name}] expected killer: {error}", flush=True)
    if broken:
        sys.exit(f"{broken} mutant(s) name an expected killer that does not run as named")

    files = program_sources()
    for index, mutant in enumerate(mutants, 1):
        try_mutant(mutant, files, tests, args.jobs)
        shown = mutant.killed_by if mutant.status == "killed" else mutant.detail
        print(f"[{index}/{len(mutants)}] {mutant.status:8} {mutant.name} ({mutant.seconds:.0f} s): {shown}",
              flush=True)
        if mutant.status == "killed" and mutant.detail:
            print(f"         note: {mutant.detail}", flush=True)
    # Leave the scratch build as the tree is.
    build(None, args.jobs)

    killed = [m for m in mutants if m.status == "killed"]
    lines = ["", f"{'Mutant':28} {'Result':8} Killed by / what a person would see"]
    for m in mutants:
        lines.append(f"{m.name:28} {m.status:8} {m.killed_by or m.detail.splitlines()[0] if (m.killed_by or m.detail) else ''}")
        lines.append(f"{'':37} sees: {m.sees}")
    total = time.monotonic() - started
    load = os.getloadavg()
    lines.append("")
    lines.append(f"Kill rate: {len(killed)} of {len(mutants)} ({100.0 * len(killed) / max(1, len(mutants)):.0f} %) "
                 f"in {total / 60:.1f} min (load average at the end {load[0]:.1f} {load[1]:.1f} {load[2]:.1f})")
    report = "\n".join(lines)
    print(report)
    with open(os.path.join(SCRATCH, "last-run.txt"), "w", encoding="utf-8") as f:
        f.write(report + "\n")
    return 0 if len(killed) == len(mutants) else 1


if __name__ == "__main__":
    sys.exit(main())
