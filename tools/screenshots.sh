#!/usr/bin/env bash
# Takes the screenshots of the help windows and the About box from the real program, under a virtual
# display: the help menu, each of the five help pages, and the About box.
#
#   tools/screenshots.sh [KESTROLA_BINARY [OUTPUT_FOLDER]]
#
# Defaults: build/bin/kestrola and docs/screenshots. Needs xvfb-run (with xauth), xdotool and ImageMagick's
# import. Drive C is an empty temporary home, so nothing of the user's own files is shown.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
binary=$(realpath "${1:-$here/build/bin/kestrola}")
outdir=$(realpath -m "${2:-$here/docs/screenshots}")

if [[ ${KESTROLA_SHOTS_INNER:-} != 1 ]]; then
    for tool in xvfb-run xdotool import; do
        command -v "$tool" > /dev/null || { echo "screenshots.sh: $tool is missing" >&2; exit 1; }
    done
    [[ -x $binary ]] || { echo "screenshots.sh: no program at $binary (build it first)" >&2; exit 1; }
    mkdir -p "$outdir"
    KESTROLA_SHOTS_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$binary" "$outdir"
fi

home=$(mktemp -d)
kestrola_pid=
finish() {
    if [[ -n $kestrola_pid ]]; then kill "$kestrola_pid" 2> /dev/null || true; fi
    rm -rf "$home"
}
trap finish EXIT

export HOME=$home LANG=C.UTF-8 QT_QPA_PLATFORM=xcb
unset QT_STYLE_OVERRIDE
cd "$home"
"$binary" &
kestrola_pid=$!

# The one visible window with exactly this title, other than the ones given after it.
window() {
    local title=$1 id
    shift
    for _ in $(seq 100); do
        for id in $(xdotool search --onlyvisible --name "^${title}\$" 2> /dev/null || true); do
            if [[ " $* " != *" $id "* ]]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    echo "screenshots.sh: no window \"$title\" appeared" >&2
    return 1
}

# A window is drawn a moment after it is mapped; X gives no event for "painted", so wait briefly.
shoot() {
    sleep 0.5
    import -window "$1" "$outdir/$2"
    echo "$outdir/$2"
}

# Clicks at a point of a window's client area, in pixels; the window is raised first, as the centred
# topics window lies over the centred help menu.
click() {
    xdotool windowraise "$1"
    sleep 0.2
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

main=$(window Kestrola)
xdotool windowfocus --sync "$main"
sleep 0.5
xdotool key alt+h
help=$(window "Kestrola Help Menu")
shoot "$help" help-menu.png

# each topic button's centre, and the caption it gives the topics window
topics=(
    "108 68 About the Author help-about-author.png"
    "108 100 Further Questions or Comments help-questions-comments.png"
    "108 132 Help with .zip Files help-zip-files.png"
    "108 164 How To Use Kestrola help-how-to-use.png"
    "308 68 About Kestrola help-about-program.png"
)
for topic in "${topics[@]}"; do
    read -r x y rest <<< "$topic"
    file=${rest##* }
    caption=${rest% *}
    click "$help" "$x" "$y"
    shoot "$(window "$caption")" "$file"
done

# Exit Help Menu, then File > About Kestrola on the main window
click "$help" 288 156
sleep 0.5
click "$main" 14 10
sleep 0.5
xdotool key a
about=$(window Kestrola "$main")
shoot "$about" about.png
