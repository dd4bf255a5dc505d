#!/usr/bin/env bash
# Builds the expansion program's libFuzzer targets with clang (ASan + UBSan) and runs one of them.
#
#   fuzz/run.sh [SECONDS] [TARGET]
#
# TARGET is fuzz_archive (default: the archive-reading entry point, in memory) or fuzz_expand (whole
# expansions into a tmpfs folder, checking that nothing lands outside it). SECONDS defaults to 600.
# Builds into build-fuzz/, keeps the growing corpus in build-fuzz/corpus-TARGET, seeds it from
# make_seeds.py and from regressions/ (inputs that once failed; replayed first), and leaves any
# crashing input as build-fuzz/crash-* (libFuzzer's naming).
# Needs clang, python3 and libdeflate-dev.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
TOP=$(cd "$HERE/.." && pwd)
SECONDS_TO_RUN=${1:-600}
TARGET=${2:-fuzz_archive}
OUT=$TOP/build-fuzz
mkdir -p "$OUT"

case $TARGET in
    fuzz_archive) SOURCES=("$TOP/pkunzip/ZipArchive.cpp" "$TOP/pkunzip/EntryName.cpp") ;;
    fuzz_expand)  SOURCES=("$TOP/pkunzip/ZipArchive.cpp" "$TOP/pkunzip/EntryName.cpp" "$TOP/pkunzip/Expander.cpp") ;;
    *) echo "unknown target $TARGET (fuzz_archive or fuzz_expand)" >&2; exit 2 ;;
esac

clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined -I "$TOP/pkunzip" \
    "$HERE/$TARGET.cpp" "${SOURCES[@]}" -o "$OUT/$TARGET" -ldeflate -pthread

SEEDS=$OUT/seeds
[[ -d $SEEDS ]] || python3 "$HERE/make_seeds.py" "$SEEDS"
CORPUS=$OUT/corpus-$TARGET
mkdir -p "$CORPUS"
cd "$OUT"
exec "./$TARGET" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -timeout=10 -rss_limit_mb=4096 \
    -dict="$HERE/zip.dict" -print_final_stats=1 "$CORPUS" "$SEEDS" "$HERE/regressions"
