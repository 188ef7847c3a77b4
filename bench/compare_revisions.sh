#!/usr/bin/env bash
# The six keystrokes whose speed every change of the search must keep,
# timed before and after in one run: pelmio_bench is built at an earlier
# revision (by default the merge-base with main) in a temporary worktree
# outside the source tree, and the two programs then take turns, ROUNDS
# times each, so that whatever else the shared machine does falls on both
# alike. Prints the median time of each, and after / before.
# Usage: bench/compare_revisions.sh [build-dir] [revision]
# Set ROUNDS (default 7), and LOCK to a file to take with flock around
# each build and run (for a machine whose builds share a lock).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
root=$(git rev-parse --show-toplevel)
revision=${2:-$(git -C "$root" merge-base HEAD main)}
rounds=${ROUNDS:-7}
filter='^search\+order/(common-a|common-e|japanese|rare|no-match|two-common)$'

locked() {
    if [[ -n ${LOCK:-} ]]; then flock "$LOCK" "$@"; else "$@"; fi
}

dir=$(mktemp -d)
trap 'git -C "$root" worktree remove --force "$dir/src" >/dev/null 2>&1 || true; rm -rf "$dir"' EXIT
git -C "$root" worktree add -q --detach "$dir/src" "$revision"
# Both builds' output goes to a log, shown when one fails.
built() {
    locked "$@" >"$dir/build.log" 2>&1 || { tail -n 40 "$dir/build.log" >&2; exit 1; }
}
built cmake -S "$dir/src" -B "$dir/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPELMIO_BUILD_TESTS=OFF
built cmake --build "$dir/build" -j2 --target pelmio_bench
built cmake --build "$build" -j2 --target pelmio_bench

for round in $(seq "$rounds"); do
    for side in before after; do
        program=$dir/build/bench/pelmio_bench
        [[ $side == after ]] && program=$build/bench/pelmio_bench
        locked "$program" --benchmark_filter="$filter" --benchmark_min_time=0.3 \
            --benchmark_out="$dir/$side-$round.json" --benchmark_out_format=json >/dev/null 2>&1
    done
done

python3 - "$dir" "$rounds" "$revision" <<'PY'
import json, statistics, sys
folder, rounds, revision = sys.argv[1], int(sys.argv[2]), sys.argv[3]
keys = {"common-a": "a", "common-e": "e", "japanese": "離陸", "rare": "zqx",
        "no-match": "xyzzy (no match)", "two-common": "a e"}
times = {}
for side in ("before", "after"):
    for round in range(1, rounds + 1):
        with open(f"{folder}/{side}-{round}.json") as file:
            for run in json.load(file)["benchmarks"]:
                name = run["name"].split("/")[-1]
                times.setdefault((side, name), []).append(run["real_time"])
print(f"search+order, median of {rounds} turns each, in microseconds; before = {revision[:12]}")
print(f"{'keystroke':<18} {'before':>10} {'after':>10} {'after/before':>13}")
for name, label in keys.items():
    before = statistics.median(times[("before", name)])
    after = statistics.median(times[("after", name)])
    print(f"{label:<18} {before:>10.1f} {after:>10.1f} {after / before:>13.3f}")
PY
