#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the README's pictures into docs/screenshots/ (or OUTPUT_DIRECTORY): the main window
# with sample data and the administrator logged in, and the working windows the README shows
# (tools/readme_screens.cpp lists them), each with its frame, on a virtual X server with the
# openbox window manager. The pictures are then reduced to a palette (pngquant), so that all of
# them stay a few hundred kilobytes in the repository.
# Usage: tools/readme-screens.sh [OUTPUT_DIRECTORY]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tarnel_install_missing

cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DTARNEL_TESTS=ON -DTARNEL_SANITIZE=ON \
    -DTARNEL_BENCH=ON >/dev/null
cmake --build build-tests --target tarnel-readme-screens --parallel "$(nproc)" >/dev/null

output="${1:-docs/screenshots}"
mkdir -p "$output"
output=$(cd "$output" && pwd)

# Inside the virtual X server: the window manager first, then the pictures.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    sleep 1
    status=0
    build-tests/bin/tarnel-readme-screens "$1" || status=$?
    kill "$wm" 2>/dev/null
    wait "$wm" 2>/dev/null
    exit "$status"' readme-screens "$output"

for picture in "$output"/*.png; do
    # 98 and 99: the picture is already small or would lose too much; it stays as it is.
    status=0
    pngquant --force --skip-if-larger --strip --quality=80-100 --speed 1 --output "$picture" \
        -- "$picture" || status=$?
    case $status in 0 | 98 | 99) ;; *) exit "$status" ;; esac
done
du -ch "$output"/*.png | tail -n 1
