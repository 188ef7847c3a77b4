#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each one for a
# while, two at a time, starting from the saved corpus in tests/fuzz/corpus.
# New inputs go to build-fuzz/corpus/<target>; with --save, a minimised
# merge of them is written back to tests/fuzz/corpus/<target>.
# Usage: tools/fuzz/run_fuzzers.sh [seconds-per-target] [--save] [target...]
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/setup/common.sh

seconds=600
save=0
targets=()
for arg in "$@"; do
    case $arg in
        --save) save=1 ;;
        ''|*[!0-9]*) targets+=("$arg") ;;
        *) seconds=$arg ;;
    esac
done
[ ${#targets[@]} -eq 0 ] && targets=(loader search history settings fields codec)

pelmio_ensure_packages clang libclang-rt-14-dev
pelmio_build fuzz

run_one() {
    local target=$1 work=build-fuzz/corpus/$1 max_len=8192
    [ "$target" = loader ] && max_len=262144
    mkdir -p "$work" "build-fuzz/logs"
    build-fuzz/tests/fuzz/${target}_fuzz "$work" "tests/fuzz/corpus/$target" \
        -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="build-fuzz/logs/${target}-" >"build-fuzz/logs/$target.log" 2>&1 || {
        echo "$target: FAILED, see build-fuzz/logs/$target.log"; return 1; }
    local stats
    stats=$(grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "build-fuzz/logs/$target.log" | tail -2 | tr '\n' ' ')
    echo "$target: $stats"
}

status=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    for target in "${targets[@]:i:2}"; do
        run_one "$target" & pids+=($!)
    done
    for pid in "${pids[@]}"; do wait "$pid" || status=1; done
done

if [ $save -eq 1 ]; then
    for target in "${targets[@]}"; do
        merged=$(mktemp -d)
        build-fuzz/tests/fuzz/${target}_fuzz -merge=1 "$merged" "tests/fuzz/corpus/$target" \
            "build-fuzz/corpus/$target" >/dev/null 2>&1
        rm -rf "tests/fuzz/corpus/$target"
        mv "$merged" "tests/fuzz/corpus/$target"
        echo "$target: $(ls "tests/fuzz/corpus/$target" | wc -l) inputs saved"
    done
fi
exit $status
