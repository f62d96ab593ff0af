#!/usr/bin/env python3
"""Plants the faults of tools/mutants.txt one at a time in a scratch copy of
the tree and tells, for each, whether the tests notice: the unit tests first,
then the end-to-end tests only for the faults the unit tests miss.

    python3 tools/mutate.py [--unit-only] [--no-sync] [NUMBER...]

NUMBER picks faults by their place in the list, from 1. The copy and its build
(the tests' options) live in build/mutants/ and are kept between runs, so a
run recompiles only what each fault touches. The unmutated tree must pass
first. A maintainers' tool: the test command does not run it."""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.path.join(ROOT, "build", "mutants")
COPY = os.path.join(WORK, "src")
BUILD = os.path.join(WORK, "build")


def parse(path):
    """The faults as (file, description, old text, new text)."""
    faults, current = [], None
    with open(path) as f:
        for line in f.read().splitlines():
            if line.startswith("== "):
                name, _, description = line[3:].partition(": ")
                current = [name, description, [], []]
                faults.append(current)
            elif current and line[:1] in "-+" and line:
                current[2 if line[0] == "-" else 3].append(line[2:])
    return [(name, description, "\n".join(old), "\n".join(new)) for name, description, old, new in faults]


def sync_copy():
    """Brings the copy up to the working tree, rewriting only files that differ
    so that the build stays incremental."""
    listed = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT, check=True,
                            stdout=subprocess.PIPE).stdout.decode().split("\0")
    kept = set(filter(None, listed))
    for folder, _, names in os.walk(COPY):
        for name in names:
            path = os.path.join(folder, name)
            if os.path.relpath(path, COPY) not in kept:
                os.remove(path)
    for name in kept:
        source, target = os.path.join(ROOT, name), os.path.join(COPY, name)
        if not os.path.isfile(source):
            continue
        with open(source, "rb") as f:
            data = f.read()
        if os.path.exists(target):
            with open(target, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
        shutil.copymode(source, target)


def quiet(args, timeout=None, **options):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout, **options)


def build():
    return quiet(["cmake", "--build", BUILD, "-j2", "--target", "unit_tests", "tarvik-snake"]).returncode == 0


def unit_tests_pass():
    return quiet(["ctest", "-L", "unit", "-j2", "--timeout", "60"], cwd=BUILD).returncode == 0


def failing_e2e_test():
    """The first end-to-end test that fails, or None; the rest are not run. The
    quickest, by the times CTest recorded, go first."""
    names = [n for n in quiet(["ctest", "-L", "e2e", "-N"], cwd=BUILD).stdout.decode().split() if n.startswith("e2e.")]
    costs = {}
    try:
        with open(os.path.join(BUILD, "Testing", "Temporary", "CTestCostData.txt")) as f:
            costs = {fields[0]: float(fields[2]) for fields in (line.split() for line in f) if len(fields) == 3}
    except OSError:
        pass
    for name in sorted(names, key=lambda n: costs.get(n, 0)):
        if quiet(["ctest", "-R", "^" + name.replace(".", r"\.") + "$"], cwd=BUILD).returncode != 0:
            return name
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--unit-only", action="store_true", help="do not run the end-to-end tests")
    parser.add_argument("--no-sync", action="store_true", help="test the copy as it is, not the working tree")
    parser.add_argument("numbers", nargs="*", type=int)
    options = parser.parse_args()
    faults = parse(os.path.join(ROOT, "tools", "mutants.txt"))
    chosen = options.numbers or range(1, len(faults) + 1)

    os.makedirs(COPY, exist_ok=True)
    if not options.no_sync:
        sync_copy()
    quiet(["cmake", "-S", COPY, "-B", BUILD, "-DTARVIK_WERROR=ON"], check=True)
    if not build() or not unit_tests_pass() or (not options.unit_only and failing_e2e_test()):
        sys.exit("the unmutated tree does not build or pass its tests")

    tally = {}
    started = time.monotonic()
    for number in chosen:
        name, description, old, new = faults[number - 1]
        path = os.path.join(COPY, name)
        with open(path) as f:
            original = f.read()
        occurrences = original.count(old) if old else 0
        if occurrences != 1:
            verdict = "not applicable" + (f" (found {occurrences} times)" if occurrences else "")
        else:
            try:
                signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped"))  # the fault is taken out first
                with open(path, "w") as f:
                    f.write(original.replace(old, new))
                if not build():
                    verdict = "does not build"
                elif not unit_tests_pass():
                    verdict = "caught by unit tests"
                elif options.unit_only:
                    verdict = "missed by unit tests"
                else:
                    failed = failing_e2e_test()
                    verdict = f"caught by {failed}" if failed else "MISSED"
            finally:
                with open(path, "w") as f:
                    f.write(original)
        kind = ("caught end to end" if verdict.startswith("caught by e2e") else
                "not applicable" if verdict.startswith("not applicable") else verdict)
        tally[kind] = tally.get(kind, 0) + 1
        print(f"{number:3} {name}: {description}: {verdict}", flush=True)
    build()
    total = sum(tally.values())
    print(f"\n{total} faults in {time.monotonic() - started:.0f} s: " +
          ", ".join(f"{count} {kind}" for kind, count in sorted(tally.items())))


if __name__ == "__main__":
    main()
