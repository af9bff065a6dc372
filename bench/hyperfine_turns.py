#!/usr/bin/env python3
"""Times commands with hyperfine in turns: each round runs every command once, in the opposite
order every other round, so that a change of the machine's speed during the sitting touches
all of them alike. hyperfine on its own runs all the runs of one command before the next.
Writes one JSON file in hyperfine's own layout ("results": command, mean, median, min, max,
user, system, times), from the runs of all rounds.

    bench/hyperfine_turns.py ROUNDS JSON [--prepare CMD] COMMAND [COMMAND...]

Each COMMAND runs without a shell (hyperfine -N). Two untimed runs of each come first.
"""

import json
import os
import statistics
import subprocess
import sys
import tempfile


def hyperfine(commands, prepare, extra, json_path):
    argv = ["hyperfine", "--style", "none", "-N", "--export-json", json_path, *extra]
    if prepare:
        argv += ["--prepare", prepare]
    subprocess.run(argv + commands, check=True, stdout=subprocess.DEVNULL)
    with open(json_path) as exported:
        return json.load(exported)["results"]


def merged(command, runs):
    times = [time for run in runs for time in run["times"]]
    return {
        "command": command,
        "mean": statistics.mean(times),
        "median": statistics.median(times),
        "min": min(times),
        "max": max(times),
        "user": statistics.mean(run["user"] for run in runs),
        "system": statistics.mean(run["system"] for run in runs),
        "times": times,
    }


def main():
    arguments = sys.argv[1:]
    if len(arguments) < 3:
        sys.exit(__doc__)
    rounds, output = int(arguments[0]), arguments[1]
    arguments = arguments[2:]
    prepare = None
    if arguments[0] == "--prepare":
        prepare, arguments = arguments[1], arguments[2:]
    commands = arguments
    runs = {command: [] for command in commands}
    with tempfile.TemporaryDirectory() as scratch:
        round_json = os.path.join(scratch, "round.json")
        hyperfine(commands, prepare, ["--warmup", "2", "--runs", "1"], round_json)
        for k in range(rounds):
            order = commands if k % 2 == 0 else commands[::-1]
            for result in hyperfine(order, prepare, ["--runs", "1"], round_json):
                runs[result["command"]].append(result)
    results = [merged(command, runs[command]) for command in commands]
    with open(output, "w") as exported:
        json.dump({"results": results}, exported, indent=1)


if __name__ == "__main__":
    main()
