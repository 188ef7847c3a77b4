#!/usr/bin/env bash
# Start-up time to the first painted window, with the generated 100,000-line
# dictionary and with empty dictionary files: each run is a fresh process
# (the files in the page cache) that quits after its first paint
# (PELMIO_EXIT_AFTER_FIRST_PAINT), on the offscreen platform. Prints the
# median time from starting the process to its first paint (as the program
# reports it on the steady clock), the whole run's wall and CPU (user +
# system) time, and their ratios. A whole run also waits at its end for
# the dictionary's second thread (display order, letter index).
# Usage: bench/startup.sh [build-dir] [runs]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-30}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/full" "$dir/empty"
"$build/bench/pelmio_bench" --write-dictionary "$dir/full"
: > "$dir/empty/settei_jyukugo.txt"
: > "$dir/empty/settei_tango.txt"
python3 - "$build/pelmio" "$dir" "$runs" <<'PY'
import os, resource, statistics, subprocess, sys, time
program, folder, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
env = dict(os.environ, QT_QPA_PLATFORM="offscreen", PELMIO_EXIT_AFTER_FIRST_PAINT="1")
def once(where):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic_ns()  # CLOCK_MONOTONIC, as std::chrono::steady_clock
    run = subprocess.run([program], cwd=where, env=env, check=True,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    wall = time.monotonic_ns() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    painted = next(int(line.split()[4]) for line in run.stderr.splitlines()
                   if line.startswith("pelmio: first paint at"))
    return (painted - start) / 1e6, wall / 1e6, cpu * 1000
results = {"empty": [], "full": []}
for _ in range(runs):  # interleaved, so drift hits both alike
    for case in results:
        results[case].append(once(os.path.join(folder, case)))
median = {case: [statistics.median(r[i] for r in rs) for i in range(3)]
          for case, rs in results.items()}
for case, (paint, wall, cpu) in median.items():
    print(f"{case:6} dictionary: first paint {paint:7.1f} ms; whole run {wall:7.1f} ms wall, "
          f"{cpu:7.1f} ms CPU (medians of {runs})")
full, empty = median["full"], median["empty"]
print(f"full / empty: {full[0] / empty[0]:.2f}x to the first paint, {full[1] / empty[1]:.2f}x "
      f"whole run wall, {full[2] / empty[2]:.2f}x whole run CPU")
PY
