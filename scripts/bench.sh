#!/usr/bin/env bash
# Compares the DATA module with its peers, an embedded SQL database and a hash map in memory,
# and with the limits of the file system, on data sets of 1,000 to 10,000,000 records:
#   scripts/bench.sh            all five sizes (about 400 MB of disk per copy of the largest)
#   scripts/bench.sh --quick    up to 1,000,000 records
# System calls are counted with strace and instructions with valgrind's cachegrind.
# Builds what it needs (Release, in build/bench), measures each size in one process run of
# compare_bench on data sets it generates in a temporary folder, and writes bench/results.json,
# bench/results.md and docs/performance.png.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
sizes=(1000 10000 100000 1000000 10000000)
mode=full
case "${1:-}" in
    --quick) sizes=(1000 10000 100000 1000000); mode=quick ;;
    "") ;;
    *) echo "usage: scripts/bench.sh [--quick]" >&2; exit 2 ;;
esac
started=$(date +%s)

"$root/scripts/setup.sh"
missing=()
command -v gnuplot >/dev/null 2>&1 || missing+=(gnuplot-nox)  # the plot
command -v strace >/dev/null 2>&1 || missing+=(strace)        # system calls of the cycle
command -v valgrind >/dev/null 2>&1 || missing+=(valgrind)    # instructions per operation
if [ "${#missing[@]}" -gt 0 ]; then
    echo "bench: installing ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ombra-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The build's progress goes to a log, shown only when the build fails.
build="$root/build/bench"
echo "Building $build (Release)..."
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$build" --target compare_bench ombra DataInOut -j 2; } \
    >"$work/build.log" 2>&1; then
    cat "$work/build.log"
    exit 1
fi

# The largest data set needs its file, a working copy, the save's temporary file, a plain copy
# and the SQL database at once: about 2.5 GB.
needed_kib=$([ "$mode" = full ] && echo 2600000 || echo 300000)
free_kib=$(df --output=avail -k "$work" | tail -1)
if [ "$free_kib" -lt "$needed_kib" ]; then
    echo "bench: $work has $((free_kib / 1024)) MiB free, $((needed_kib / 1024)) MiB needed" >&2
    exit 1
fi

status=0
for records in "${sizes[@]}"; do
    mkdir "$work/$records"
    "$build/bin/compare_bench" measure "$records" "$work/$records" "$work/figures-$records.tsv" \
        "$build/bin/ombra" || status=1
    rm -rf "${work:?}/$records"
done

"$build/bin/compare_bench" report "$mode" "$root/bench/results.json" "$root/bench/results.md" \
    "$work/plot.dat" "$work"/figures-*.tsv
mkdir -p "$root/docs"
gnuplot -e "data='$work/plot.dat'; output='$root/docs/performance.png'" \
    "$root/bench/compare/plot.gnuplot"

echo
cat "$root/bench/results.md"
echo
echo "Wrote bench/results.json, bench/results.md and docs/performance.png in $(($(date +%s) - started)) s."
exit "$status"
