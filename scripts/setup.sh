#!/usr/bin/env bash
# One command for a fresh Debian machine: install every dependency, build everything into
# build/, and run the main job — the gallery, rendered to gallery.png (or shown in a window
# when a display is present).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
bash scripts/run-gallery.sh
