#!/usr/bin/env bash
# The editor's actions through its real, shown main window, each sample a fresh process (first
# touch included), and its start-up beside a minimal Qt Widgets program.
#   bench/window-actions.sh [BUILD_DIR] [RUNS]
# BUILD_DIR defaults to build (configured with -DKORVEL_BUILD_BENCHMARKS=ON, targets
# korvel_window_bench and korvel_minimal_widgets built); RUNS to 15. Without a display it runs
# itself under xvfb-run. Prints the median wall time, CPU time (user + system) and minor page
# faults of each action, from the action to the end of the paint it causes, and the start-up of
# whole processes to the first painted main window from hyperfine, the editor and the minimal
# program in turn (bench/hyperfine_turns.py), with the ratio.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath "${1:-$here/build}")"
runs="${2:-15}"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$build" "$runs"
fi
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
bench="$build/bench/korvel_window_bench"
minimal="$build/bench/korvel_minimal_widgets"
base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base="${TMPDIR:-/tmp}"
work="$(mktemp -d "$base/korvel-window.XXXXXX")"
trap 'rm -rf "$work"' EXIT
"$bench" make "$work"

samples="$work/samples"
for k in $(seq "$runs"); do
    "$bench" open-bcm "$work/small-65535.bcm" | sed 's/^open-bcm/open-65535x32x16/'
    "$bench" open-bcm "$work/large-64.bcm" | sed 's/^open-bcm/open-64x1024x512/'
    "$bench" open-lcm "$work/font-256x255x255.lcm" | sed 's/^open-lcm/open-256x255x255/'
    "$bench" defined-font "$work/font-256x255x255.lcm"
    "$bench" setup-add
    "$bench" startup
    "$bench" startup-settled
done >"$samples"

python3 "$here/bench/hyperfine_turns.py" "$((runs * 2))" "$work/startup.json" \
    "$bench startup" "$minimal"

python3 - "$samples" "$work/startup.json" <<'PY'
import json, statistics, sys
goals = {"open-65535x32x16": 100, "open-64x1024x512": 50, "open-256x255x255": 100,
         "defined-font": 50, "setup-add": 150, "startup": None, "startup-settled": None}
rows = {}
for line in open(sys.argv[1]):
    name, wall, cpu, faults = line.split()
    rows.setdefault(name, []).append((float(wall), float(cpu), int(faults)))
print(f"{'action (fresh process)':24} {'wall':>9} {'CPU':>9} {'faults':>7} {'goal':>8}")
for name, goal in goals.items():
    samples = rows[name]
    median = lambda k: statistics.median(s[k] for s in samples)
    label = "" if goal is None else f"< {goal} ms"
    print(f"{name:24} {median(0):7.1f}ms {median(1):7.1f}ms {median(2):7.0f} {label:>8}")
ours, anchor = json.load(open(sys.argv[2]))["results"]
cpu = lambda r: (r["user"] + r["system"]) * 1000
wall = lambda r: r["median"] * 1000
print(f"\nstart-up to the first painted window, whole processes (median wall, mean CPU):")
print(f"  korvel  {wall(ours):7.1f}ms {cpu(ours):7.1f}ms")
print(f"  minimal {wall(anchor):7.1f}ms {cpu(anchor):7.1f}ms")
print(f"  ratio   {wall(ours) / wall(anchor):7.2f}x  {cpu(ours) / cpu(anchor):6.2f}x   (goal <= 1.05x)")
PY
