#!/usr/bin/env bash
# Times pkunzip.exe against Info-ZIP unzip, bsdtar, 7-Zip and Python's zipfile on the shared corpus.
#
#   bench/zip/run.sh [CORPUSDIR]
#
# CORPUSDIR (default /tmp/corpus) is built with make_corpus.sh when it holds no archives yet (a few
# minutes). pkunzip.exe is taken from $PKUNZIP, else build/bin/pkunzip.exe, built first when missing.
# Then cpu_capacity.sh says how much of a second core the machine gives right now (the parallel
# goals depend on it), and zipbench.sh runs every tool in interleaved rounds on tmpfs and disk.
# Environment: BENCH_TOOLS (default ../shared/bench beside the repository), ZIPBENCH_OPTS (default
# "-i 3 -r 5 -m 4"), TARGETS (default "tmpfs disk"), plus zipbench.sh's TMPFS_DIR and DISK_DIR.
# Results: CORPUSDIR/results/table.md and results.tsv, and CORPUSDIR/results/cpu_capacity.txt.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
TOP=$(cd "$HERE/../.." && pwd)
TOOLS=${BENCH_TOOLS:-$TOP/../shared/bench}
CORPUS=${1:-/tmp/corpus}
ZIPBENCH_OPTS=${ZIPBENCH_OPTS:--i 3 -r 5 -m 4}
TARGETS=${TARGETS:-tmpfs disk}

[[ -x $TOOLS/zipbench.sh ]] || { echo "no benchmark tools in $TOOLS (set BENCH_TOOLS)" >&2; exit 1; }

if ! ls "$CORPUS"/*.zip > /dev/null 2>&1; then
    echo "== building the corpus in $CORPUS"
    "$TOOLS/make_corpus.sh" "$CORPUS"
fi

PKUNZIP=${PKUNZIP:-$TOP/build/bin/pkunzip.exe}
if [[ ! -x $PKUNZIP ]]; then
    echo "== building pkunzip.exe"
    cmake -S "$TOP" -B "$TOP/build" -DCMAKE_BUILD_TYPE=Release > /dev/null
    cmake --build "$TOP/build" --target pkunzip --parallel 2
fi

mkdir -p "$CORPUS/results"
echo "== second core (gain 2.0 = two full cores, 1.0 = one shared core)"
"$TOOLS/cpu_capacity.sh" -n 5 "$CORPUS/few-large.zip" | tee "$CORPUS/results/cpu_capacity.txt"

# hyperfine sends every tool's output to /dev/null, so pkunzip.exe's line per file is written as usual.
# shellcheck disable=SC2086
"$TOOLS/zipbench.sh" $ZIPBENCH_OPTS -t "$TARGETS" "$CORPUS" "$PKUNZIP" unzip bsdtar 7z python
echo "== second core after the run"
"$TOOLS/cpu_capacity.sh" -n 5 "$CORPUS/few-large.zip" | tail -1 | tee -a "$CORPUS/results/cpu_capacity.txt"
