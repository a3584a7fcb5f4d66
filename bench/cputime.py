#!/usr/bin/env python3
"""CPU time (user + system) of whole processes, run in turn.

    cputime.py --runs N [--warmup W] --out FILE NAME=COMMAND...

Runs each command W times unmeasured, then N rounds of every command once,
in turn, so that a change in the machine's load falls on all of them alike.
Each run's CPU time is the user and system time the kernel accounted to the
process and its children (wait4), in seconds. FILE gets JSON: per name, the
list of CPU times and of wall times. A command that fails stops the whole.
Standard library only.
"""

import argparse
import json
import os
import shlex
import subprocess
import sys
import time


def run_once(argv):
    """CPU and wall seconds of one run of argv."""
    started = time.perf_counter()
    child = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - started
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise SystemExit(f"cputime: {shlex.join(argv)} ended with {child.returncode}")
    return usage.ru_utime + usage.ru_stime, wall


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, required=True)
    parser.add_argument("--warmup", type=int, default=3)
    parser.add_argument("--out", required=True)
    parser.add_argument("commands", nargs="+", metavar="NAME=COMMAND")
    args = parser.parse_args()

    commands = []
    for text in args.commands:
        name, sep, command = text.partition("=")
        if not sep or not command:
            parser.error(f"not NAME=COMMAND: {text}")
        commands.append((name, shlex.split(command)))

    for _ in range(args.warmup):
        for _, argv in commands:
            run_once(argv)
    results = {name: {"cpu": [], "wall": []} for name, _ in commands}
    for _ in range(args.runs):
        for name, argv in commands:
            cpu, wall = run_once(argv)
            results[name]["cpu"].append(cpu)
            results[name]["wall"].append(wall)
    with open(args.out, "w") as out:
        json.dump(results, out, indent=1)


if __name__ == "__main__":
    sys.exit(main())
