#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer) and runs
# each one on a copy of its seed corpus:
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]     (default: 60 seconds, every target)
#
# New inputs go to build/fuzz/work/<target>/corpus, never into the repository. Prints the
# executions and executions per second of every target. Exits 1 when a target crashed or broke
# an invariant, leaving the input that did it in its work folder (the path is printed).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
if [ $# -gt 0 ]; then shift; fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(open_parameters data_file remembered_locations field_value script_parser)
fi
build=${OMBRA_FUZZ_BUILD:-$root/build/fuzz}

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DOMBRA_SANITIZE=ON \
    -DOMBRA_TESTS=OFF -DOMBRA_BENCH=OFF -DOMBRA_FUZZ=ON \
    -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null

# The largest input worth trying: data files and scripts are kept small so that runs are fast.
max_len() {
    case $1 in
        data_file | script_parser) echo 4096 ;;
        *) echo 1024 ;;
    esac
}

# "<name>: <value>" of libFuzzer's final statistics.
final_stat() {
    sed -n "s/^stat::$1: *//p" "$2" | tail -n 1
}

failed=0
for target in "${targets[@]}"; do
    work=$build/work/$target
    rm -rf "$work"
    mkdir -p "$work/corpus"
    cp "$root/fuzz/corpus/$target/"* "$work/corpus/"
    log=$work/fuzz.log
    status=0
    # Saves sync their files: the memory file system keeps that fast.
    (cd "$work" && TMPDIR=$(test -w /dev/shm && echo /dev/shm || echo /tmp) "$build/bin/fuzz_$target" -max_total_time="$seconds" \
        -max_len="$(max_len "$target")" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/" corpus >"$log" 2>&1) || status=$?
    echo "$target: $(final_stat number_of_executed_units "$log") executions," \
        "$(final_stat average_exec_per_sec "$log") exec/s," \
        "$(final_stat new_units_added "$log") new inputs (corpus $(ls "$work/corpus" | wc -l))"
    if [ "$status" -ne 0 ]; then
        failed=1
        echo "$target: FAILED (exit status $status); log: $log"
        ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null || true
        grep -m 5 -E "invariant broken|ERROR: |runtime error" "$log" || true
    fi
done
exit "$failed"
