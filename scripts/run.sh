#!/usr/bin/env bash
# The main job: builds ombra with its DATA module, then runs both examples on fresh copies of
# their data files in a temporary folder (the repository's examples stay as they are), printing
# what each script prints and the data file it leaves behind.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The build's progress goes to a log, shown only when the build fails.
echo "Building build/release (a few minutes the first time)..."
if ! "$root/scripts/build.sh" "$root/build/release" -DOMBRA_TESTS=OFF -DOMBRA_BENCH=OFF \
    >"$work/build.log" 2>&1; then
    cat "$work/build.log"
    exit 1
fi
ombra="$root/build/release/bin/ombra"

mkdir "$work/examples"
cp -R "$root/examples/." "$work/examples/"

# run_example FOLDER SCRIPT DATA_FILE: runs SCRIPT with FOLDER (a copy of examples/FOLDER) as the
# base folder, then shows DATA_FILE. The module ends each line it writes with a carriage return,
# shown here as a line end; the UTF-8 byte-order mark is not shown.
run_example() {
    local folder=$1 script=$2 data=$3 shown=examples
    [ "$folder" = . ] || shown="examples/$folder"
    echo "== ombra --base $shown $shown/$script"
    "$ombra" --base "$work/examples/$folder" --state "$work/state" "$work/examples/$folder/$script"
    echo "-- $data afterwards:"
    tr '\r' '\n' <"$work/examples/$folder/$data" | sed -e 's/^\xEF\xBB\xBF//' -e '/^$/d'
    echo
}

run_example . prices.omb prices.txt
run_example catalogue catalogue.omb components.txt
