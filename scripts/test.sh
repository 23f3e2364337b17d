#!/usr/bin/env bash
# The whole test suite: builds with g++ and with clang (warnings as errors) and runs every test,
# then runs it again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

run_suite() {
    local name=$1
    shift
    echo "== $name"
    "$root/scripts/build.sh" "$root/build/test-$name" -DOMBRA_WERROR=ON "$@"
    (cd "$root/build/test-$name" && ctest --output-on-failure -j "$(nproc)")
}

run_suite gcc -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc
run_suite clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DOMBRA_BENCH=OFF
run_suite sanitize -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DOMBRA_BENCH=OFF \
    -DOMBRA_SANITIZE=ON
