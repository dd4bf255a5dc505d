#!/usr/bin/env bash
# Starts Kestrola, or says why it cannot be shown.
set -euo pipefail
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "kestrola: no display to show its window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "Run it from a desktop session, or under a virtual display: xvfb-run make run" >&2
    exit 1
fi
exec "$1"
