#!/usr/bin/env bash
# The main job: the gallery of components. With a display it opens in a window; without one
# (or with an output file given) it is drawn headless into gallery.png in the current folder.
#   scripts/run-gallery.sh            window when DISPLAY is set, else gallery.png
#   scripts/run-gallery.sh OUT.png    always headless, into OUT.png
# QEL_BUILD_DIR selects the build folder (default: build/ next to this script).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QEL_BUILD_DIR:-$root/build}"
bin="$build/bin/qel-gallery"
if [ ! -x "$bin" ]; then
  cmake -S "$root" -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target qel-gallery
fi
if [ $# -ge 1 ]; then
  exec "$bin" -o "$1"
elif [ -n "${DISPLAY:-}" ]; then
  exec "$bin"
else
  exec "$bin" -o gallery.png
fi
