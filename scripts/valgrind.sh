#!/usr/bin/env bash
# Runs the end-to-end tests of a build under valgrind memcheck: the suites that load the built
# DATA module with dlopen (through the test host), the script host's suites that run scripts
# through the module, the suites that start the ombra executable (valgrind follows it), and a
# slice of the reliability suites (failures, crashes in forked children, power loss). Exits
# non-zero on the first memory error or leak valgrind reports.
#
#   scripts/valgrind.sh BUILD_DIR
#
# BUILD_DIR must be a build without sanitizers (valgrind cannot run sanitized programs), with the
# test executables built. Valgrind is installed when missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: scripts/valgrind.sh BUILD_DIR}
bin="$build/bin"

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
    "frame_tests BindingTest.*:ResourcesTest.*"
    "open_tests OpenModule.*"
    "store_tests ModuleInputTest.*"
    "write_tests WriteModule.*"
    "ombra_tests OmbraBinaryTest.*"
    "ombra_host_tests DataScript*:LibraryScriptTest.*:ModuleFolderScriptTest.*:DialogScriptTest.*:ModuleDataStatementsTest.*:ExtensionLoaderTest.*"
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
exit $failed
