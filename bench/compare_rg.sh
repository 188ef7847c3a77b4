#!/usr/bin/env bash
# Compares Pelmio's scan with ripgrep in CPU time per byte. rg runs as a
# whole process over a file, so it is timed on the table's lines once and
# ten times over: the difference between the two is its cost for nine
# tables' bytes, with start-up and file opening cancelled out. Pelmio's figure is one in-memory
# scan of the same lines (pelmio_bench, the table in cache). rg -F -c counts
# matching lines of the bytes as given and knows nothing of Shift-JIS
# character starts; Pelmio also checks that each hit begins a character.
# Usage: bench/compare_rg.sh [build-dir]   (installs Debian's ripgrep if it can)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
if ! command -v rg >/dev/null; then
    # shellcheck source=../tools/setup/common.sh
    source "$(dirname "$0")/../tools/setup/common.sh"
    if ! pelmio_install_packages ripgrep || ! command -v rg >/dev/null; then
        echo "compare_rg: skipped: ripgrep is not installed and could not be (apt-get install ripgrep)" >&2
        exit 0
    fi
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$build/bench/pelmio_bench" --write-dictionary "$dir"
cat "$dir/settei_jyukugo.txt" "$dir/settei_tango.txt" > "$dir/all-1.txt"
for _ in $(seq 10); do cat "$dir/all-1.txt"; done > "$dir/all-10.txt"
"$build/bench/pelmio_bench" --benchmark_filter='^scan/(limit-memchr|rare|no-match|word|common-a|common-e)(/pelmio)?$' \
    --benchmark_out="$dir/pelmio.json" --benchmark_out_format=json >/dev/null 2>&1
python3 - "$dir" <<'PY'
import json, os, resource, statistics, subprocess, sys
folder = sys.argv[1]
size = os.path.getsize(os.path.join(folder, "all-1.txt"))
def rg_seconds(pattern, copies, runs=15):
    # CPU time (user + system, all of rg's threads), not wall time: rg
    # searches with several threads, and on a shared machine the wall
    # clock also measures the other users.
    path = os.path.join(folder, f"all-{copies}.txt")
    times = []
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        subprocess.run(["rg", "-F", "-c", pattern, path], stdout=subprocess.DEVNULL)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        times.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
    return statistics.median(times)
pelmio = {b["name"]: b["cpu_time"] * {"ns": 1e-9, "us": 1e-6, "ms": 1e-3}[b["time_unit"]]
          for b in json.load(open(os.path.join(folder, "pelmio.json")))["benchmarks"]}
limit = pelmio["scan/limit-memchr"]
print(f"table: {size} bytes; memchr over it {limit * 1e6:.0f} us ({size / limit / 1e9:.1f} GB/s)")
print(f"{'case':10} {'rg 1x CPU ms':>9} {'rg 10x CPU ms':>10} {'rg GB/s':>8} {'pelmio GB/s':>12} {'rg/pelmio':>10}")
for case, pattern in [("rare", "zqx"), ("no-match", "xyzzy"), ("word", "water"),
                      ("common-a", "a"), ("common-e", "e")]:
    one, ten = rg_seconds(pattern, 1), rg_seconds(pattern, 10)
    rg_per_byte = max(ten - one, 1e-9) / (9 * size)
    ours = pelmio[f"scan/{case}/pelmio"] / size
    print(f"{case:10} {one * 1e3:9.2f} {ten * 1e3:10.2f} {1e-9 / rg_per_byte:8.1f} "
          f"{1e-9 / ours:12.1f} {rg_per_byte / ours:10.2f}")
PY
