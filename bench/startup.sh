#!/usr/bin/env bash
# Start-up time: from process start until the main window is mapped, under Xvfb, against a minimal
# Qt Widgets program that shows one empty window (the floor), in interleaved rounds.
#
#   bench/startup.sh [ROUNDS]      (default 21)
#
# Prints the medians and the ratio of kestrola to the empty window; a third program, the empty window
# with one line of text, shows how much of the difference is the fonts being loaded.
set -euo pipefail
cd "$(dirname "$0")/.."
ROUNDS=${1:-21}
make --no-print-directory configure >/dev/null
cmake --build build --target kestrola emptywindow mapwait >/dev/null
HOME_DIR=$(mktemp -d); trap 'rm -rf "$HOME_DIR"' EXIT

xvfb-run -a -s "-screen 0 1024x768x24" env HOME="$HOME_DIR" QT_QPA_PLATFORM=xcb bash -c '
    cd "$HOME"
    k=(); e=(); t=()
    for ((i = 0; i < '"$ROUNDS"'; i++)); do
        e+=("$('"$PWD"'/build/bin/mapwait '"$PWD"'/build/bin/emptywindow)")
        k+=("$('"$PWD"'/build/bin/mapwait '"$PWD"'/build/bin/kestrola)")
        t+=("$('"$PWD"'/build/bin/mapwait '"$PWD"'/build/bin/emptywindow --text)")
    done
    median() { printf "%s\n" "$@" | sort -n | awk "{a[NR]=\$1} END {print a[int((NR+1)/2)]}"; }
    mk=$(median "${k[@]}"); me=$(median "${e[@]}"); mt=$(median "${t[@]}")
    printf "empty Qt window   %7.1f ms (median of %d)\n" "$me" "${#e[@]}"
    printf "  same, one label %7.1f ms (for reference: what loading fonts adds)\n" "$mt"
    printf "kestrola          %7.1f ms (median of %d)\n" "$mk" "${#k[@]}"
    awk -v a="$mk" -v b="$me" "BEGIN { printf \"ratio             %7.2f\n\", a / b }"
' 2>/dev/null
