#!/usr/bin/env bash
# CPU time per keystroke in the real window, from the threads' schedstat
# (/proc/PID/task/*/schedstat, nanoseconds on a CPU), with what the window
# uses while idle (the cursor's blink) subtracted. The program runs on the
# generated 100,000-line dictionary under Xvfb, and xdotool types the same
# sequence as keystroke_callgrind.sh, Left arrow included: a Left arrow
# searches nothing, so it is the floor an ordinary word is held against.
# A warm-up round comes first, then the median of the rounds measured is
# printed, in milliseconds, with its difference from the Left arrow.
# Times drift on a shared machine; keystroke_callgrind.sh counts
# instructions, which repeat.
# Usage: bench/keystroke_cpu.sh [build-dir] [rounds]
set -euo pipefail

if [[ ${1:-} == --inside ]]; then
    program=$2 folder=$3 home=$4 rounds=$5
    (cd "$folder" && exec env HOME="$home" XDG_DATA_HOME="$home" "$program" >/dev/null 2>&1) &
    pid=$!
    window=$(xdotool search --sync --onlyvisible --name '^Pelmio$' | head -n 1)
    xdotool windowfocus --sync "$window"
    python3 - "$pid" "$rounds" <<'PY'
import glob, statistics, subprocess, sys, time
pid, rounds = int(sys.argv[1]), int(sys.argv[2])
SEQUENCE = [("a", "a"), ("Backspace to empty", "BackSpace"), ("a from empty", "a"),
            ('"a "', "space"), ('"a e"', "e"), ('"a "', "BackSpace"), ('"a"', "BackSpace"),
            ('"" (empty)', "BackSpace"), ("w", "w"), ("wa", "a"), ("wat", "t"),
            ("wate", "e"), ("water", "r"), ('"waterz" (no match)', "z"), ("water", "BackSpace"),
            ("Left arrow", "Left")]

def cpu_ns():
    total = 0
    for path in glob.glob(f"/proc/{pid}/task/*/schedstat"):
        try:
            with open(path) as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that ended meanwhile
    return total

def settle(quiet_ns=60_000, step=0.1):
    # Until a step passes with no more CPU than an idle window uses.
    before = cpu_ns()
    while True:
        time.sleep(step)
        after = cpu_ns()
        if after - before < quiet_ns:
            return
        before = after

settle()
# What the window uses while nothing happens, per second.
start_cpu, start = cpu_ns(), time.monotonic()
time.sleep(3)
idle_rate = (cpu_ns() - start_cpu) / (time.monotonic() - start)

results = {i: [] for i in range(len(SEQUENCE))}
for round_ in range(rounds + 1):
    # Every round types the same texts: the box starts empty, untimed.
    subprocess.run(["xdotool", "key", "ctrl+a", "BackSpace"], check=True)
    for i, (_, key) in enumerate(SEQUENCE):
        settle()
        cpu0, t0 = cpu_ns(), time.monotonic()
        subprocess.run(["xdotool", "key", key], check=True)
        settle()
        cpu1, t1 = cpu_ns(), time.monotonic()
        if round_ > 0:  # the first round is the warm-up
            results[i].append((cpu1 - cpu0 - idle_rate * (t1 - t0)) / 1e6)
left = statistics.median(results[len(SEQUENCE) - 1])
print(f"idle: {idle_rate / 1e6:.3f} ms CPU per second; medians of {rounds} rounds")
print(f"{'keystroke (box after it)':26} {'CPU ms':>8} {'- Left arrow':>13}")
for i, (label, _) in enumerate(SEQUENCE):
    median = statistics.median(results[i])
    print(f"{label:26} {median:8.2f} {median - left:13.2f}")
PY
    xdotool key Escape
    wait "$pid" || true
    exit
fi

build=$(cd "${1:-build}" && pwd)
rounds=${2:-5}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/full" "$dir/home"
"$build/bench/pelmio_bench" --write-dictionary "$dir/full"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$0" --inside "$build/pelmio" "$dir/full" "$dir/home" "$rounds"
