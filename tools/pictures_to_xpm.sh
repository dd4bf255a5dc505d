#!/usr/bin/env bash
# Needs ImageMagick (Debian imagemagick).
# Turns the pictures into XPM sources that are compiled into the program, so that showing them needs
# neither a PNG decoder nor Qt's image plugins at start-up. Run after tools/draw_pictures.py.
set -euo pipefail
cd "$(dirname "$0")/../resources/pictures"
for name in banner kestrola-32 kestrola-16 question-32 question-16; do
    var=${name//-/_}_xpm
    convert "$name.png" "xpm:-" | sed "s/^static const char \*[A-Za-z0-9_]*\[\]/static const char *${var}[]/; s/^static char \*[A-Za-z0-9_]*\[\]/static const char *${var}[]/" \
        > "xpm/${name//-/_}.xpm"
done
