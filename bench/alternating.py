#!/usr/bin/env python3
"""Runs whole commands in turn, each once per round, so that a change in the machine's speed
touches all of them alike; prints each command's median wall time and mean CPU time (user +
system, from wait4) in milliseconds.

    bench/alternating.py ROUNDS COMMAND [COMMAND...]

Each COMMAND is one argument, split on spaces; its output goes to /dev/null. Three untimed runs
of each come first. Under Xvfb, for example:

    xvfb-run -a -s '-screen 0 1280x1024x24' bench/alternating.py 60 \\
        "build/bench/korvel_window_bench startup" build/bench/korvel_minimal_widgets
"""

import os
import statistics
import subprocess
import sys
import time


def run_once(argv):
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        null = os.open(os.devnull, os.O_WRONLY)
        os.dup2(null, 1)
        os.execv(argv[0], argv)
    _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    if not os.WIFEXITED(status) or os.WEXITSTATUS(status) != 0:
        sys.exit(f"{' '.join(argv)} failed ({status})")
    return wall * 1000, (usage.ru_utime + usage.ru_stime) * 1000


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    rounds = int(sys.argv[1])
    commands = [command.split() for command in sys.argv[2:]]
    for argv in commands:
        for _ in range(3):
            subprocess.run(argv, stdout=subprocess.DEVNULL, check=True)
    samples = [[] for _ in commands]
    for _ in range(rounds):
        for argv, taken in zip(commands, samples):
            taken.append(run_once(argv))
    print(f"{'command':60} {'wall':>9} {'CPU':>9}")
    for argv, taken in zip(commands, samples):
        wall = statistics.median(sample[0] for sample in taken)
        cpu = statistics.mean(sample[1] for sample in taken)
        print(f"{' '.join(argv)[-60:]:60} {wall:7.1f}ms {cpu:7.1f}ms")


if __name__ == "__main__":
    main()
