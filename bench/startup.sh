#!/usr/bin/env bash
# Start-up time to the first painted window, with the generated 100,000-line
# dictionary and with empty dictionary files: each run is a fresh process
# (the files in the page cache) that quits after its first paint
# (PELMIO_EXIT_AFTER_FIRST_PAINT), on the offscreen platform. Prints the
# median wall and CPU (user + system) time of each, and their ratio.
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
    start = time.perf_counter()
    subprocess.run([program], cwd=where, env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall * 1000, cpu * 1000
results = {"empty": [], "full": []}
for _ in range(runs):  # interleaved, so drift hits both alike
    for case in results:
        results[case].append(once(os.path.join(folder, case)))
median = {case: (statistics.median(w for w, _ in r), statistics.median(c for _, c in r))
          for case, r in results.items()}
for case, (wall, cpu) in median.items():
    print(f"{case:6} dictionary: {wall:7.1f} ms wall, {cpu:7.1f} ms CPU (median of {runs})")
print(f"full / empty: {median['full'][0] / median['empty'][0]:.2f}x wall, "
      f"{median['full'][1] / median['empty'][1]:.2f}x CPU")
PY
