#!/usr/bin/env bash
# Runs the end-to-end tests of a build under valgrind memcheck: the suites that load the built
# DATA module with dlopen (through the test host), the script host's suites that run scripts
# through the module, the suites that start the ombra executable (valgrind follows it), the
# script cases that use the module, and a slice of the reliability suites (failures, crashes in
# forked children, power loss). Exits
# non-zero on the first memory error or leak valgrind reports.
#
#   scripts/valgrind.sh BUILD_DIR
#
# BUILD_DIR must be a build without sanitizers (valgrind cannot run sanitized programs), with the
# test executables built. Valgrind is installed when missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: scripts/valgrind.sh BUILD_DIR}
bin=$(cd "$build/bin" && pwd)  # absolute: the case runner starts ombra in another folder

if ! command -v valgrind >/dev/null; then
    if [ "$(id -u)" = 0 ]; then
        apt-get update -qq && apt-get install -y -qq valgrind
    else
        sudo apt-get update -qq && sudo apt-get install -y -qq valgrind
    fi
fi

if [ -f "$build/CMakeCache.txt" ] && grep -q '^OMBRA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    echo "valgrind.sh: $build is a sanitizer build; use a plain one" >&2
    exit 2
fi

# Definite and indirect leaks are errors; memory still reachable at exit (the host's caches and
# the loaded module's statics) is not.
options=(
    --tool=memcheck --error-exitcode=1 --leak-check=full
    --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect
    --trace-children=yes --child-silent-after-fork=no --track-origins=no --quiet
    --suppressions="$root/scripts/valgrind.supp"
)

# executable and gtest filter of each end-to-end suite
suites=(
    "extension_tests BindingTest.*:TornAppend.*:WriteLock.*:Files/ModelTest.*/sorted_codepage"
    "ombra_tests OmbraBinaryTest.*:ExtensionModulesTest.*:ManualPage.*"
    "reliability_tests *FailureSweep*/close_save_utf8:*FailureSweep*/output_append_codepage:*KillSweep*/sequence_outputs_utf8"
)

failed=0
for suite in "${suites[@]}"; do
    read -r executable filter <<<"$suite"
    if [ ! -x "$bin/$executable" ]; then
        echo "valgrind.sh: $bin/$executable is not built" >&2
        exit 2
    fi
    echo "== $executable ($filter)"
    start=$SECONDS
    if valgrind "${options[@]}" "$bin/$executable" --gtest_filter="$filter" \
        --gtest_brief=1 >"$build/valgrind-$executable.log" 2>&1; then
        echo "   clean ($((SECONDS - start)) s)"
    else
        failed=1
        echo "   FAILED ($((SECONDS - start)) s); the report:"
        grep -E '^==[0-9]+==|FAILED|Failure' "$build/valgrind-$executable.log" | head -60
    fi
done
# The script cases that go through the module: the case runner, and ombra in each of its runs
# (valgrind follows the exec), where a memory error also shows as a difference in what ombra wrote.
start=$SECONDS
echo "== case_runner (the module's script cases, $(nproc) at a time)"
export VALGRIND_OPTIONS="${options[*]}" CASE_BIN="$bin" CASE_LOGS="$build"
if ! printf '%s\0' "$root"/tests/cases/{data,dialog,library,open,store,write}/*.case |
    xargs -0 -P "$(nproc)" -n 1 bash -c '
        log="$CASE_LOGS/valgrind-case-$(basename "$1" .case).log"
        valgrind $VALGRIND_OPTIONS "$CASE_BIN/case_runner" "$CASE_BIN/ombra" "$1" >"$log" 2>&1 ||
            { echo "   FAILED: $1; the report:"; head -60 "$log"; exit 1; }' case; then
    failed=1
fi
echo "   done ($((SECONDS - start)) s)"
exit $failed
