#!/usr/bin/env bash
# Compares the scan for a rare keyword with ripgrep on the same lines:
# writes the generated 100,000-line dictionary to a file, times `rg -F -c`
# over it (whole runs, as a user would), and prints both speeds per byte.
# Usage: bench/compare_rg.sh [build-dir]   (needs ripgrep: apt-get install ripgrep)
set -euo pipefail
build=${1:-build}
command -v rg >/dev/null || { echo "compare_rg: needs ripgrep (apt-get install ripgrep)" >&2; exit 1; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$build/bench/pelmio_bench" --write-dictionary "$dir"
cat "$dir/settei_jyukugo.txt" "$dir/settei_tango.txt" > "$dir/all.txt"
bytes=$(stat -c %s "$dir/all.txt")
for copies in 1 10; do
    file=$dir/all-$copies.txt
    for _ in $(seq "$copies"); do cat "$dir/all.txt"; done > "$file"
    size=$((bytes * copies))
    runs=50
    rg -F -c zqx "$file" >/dev/null || true
    start=$(date +%s%N)
    for _ in $(seq "$runs"); do rg -F -c zqx "$file" >/dev/null || true; done
    end=$(date +%s%N)
    per_run=$(( (end - start) / runs ))
    echo "rg -F -c zqx on $size bytes: $((per_run / 1000)) us a run, $(( size * 1000 / per_run )) MB/s"
done
echo "pelmio, on the same $bytes bytes (Time is one scan of the whole table):"
"$build/bench/pelmio_bench" --benchmark_filter='scan/rare/' --benchmark_color=false 2>/dev/null | grep -E '^(Benchmark|scan/)'
