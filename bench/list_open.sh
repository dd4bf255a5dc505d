#!/usr/bin/env bash
# Opening a folder of 100,000 files in the browser, against a bare directory read of it.
#
#   bench/list_open.sh [FILES] [RUNS]      (defaults: 100000 files, 11 runs)
#
# Builds the benchmark program into build/, fills a temporary folder (on the ordinary disk, under
# the build folder) with FILES empty files, and prints the medians and their ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
FILES=${1:-100000}
RUNS=${2:-11}
make --no-print-directory configure >/dev/null
cmake --build build --target listbench >/dev/null
DIR=build/bench-folders/huge
if [[ $(find "$DIR" -maxdepth 1 -type f 2>/dev/null | wc -l) -ne $FILES ]]; then
    rm -rf "$DIR"; mkdir -p "$DIR"
    (cd "$DIR" && seq -f "download-%06g.zip" 1 "$FILES" | xargs touch)
fi
QT_QPA_PLATFORM=offscreen build/bin/listbench "$(cd "$DIR" && pwd)" "$RUNS"
