#!/usr/bin/env bash
# The whole test suite: builds with g++ (warnings as errors) and runs every test, installs that
# build into a temporary prefix, embeds and packages it (scripts/install_check.sh), runs the
# end-to-end tests of that build under valgrind memcheck, fuzzes each fuzz target briefly, and
# last builds with clang (warnings as errors too) under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test again. OMBRA_CI_FUZZ_SECONDS sets the fuzzing
# time a target (20 s).
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
echo "== install, embed, package"
"$root/scripts/install_check.sh" "$root/build/test-gcc"
echo "== valgrind"
"$root/scripts/valgrind.sh" "$root/build/test-gcc"
echo "== fuzz (${OMBRA_CI_FUZZ_SECONDS:-20} s a target)"
"$root/scripts/fuzz.sh" "${OMBRA_CI_FUZZ_SECONDS:-20}"
run_suite clang-sanitize -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DOMBRA_BENCH=OFF \
    -DOMBRA_SANITIZE=ON
