#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the release libraries into build/, then photographs the main window after an
# administrator login over a temporary database with a few stock lots, under a virtual X server
# (with the login and about windows as well). Prints the paths of the PNG files.
# Usage: tools/screenshot.sh [OUTPUT_DIRECTORY]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tarnel_install_missing

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target tarnel-screenshot --parallel "$(nproc)" >/dev/null

output="${1:-$(mktemp -d /tmp/tarnel-screenshot.XXXXXX)}"
mkdir -p "$output"
xvfb-run -a -s "-screen 0 1024x768x24" build/bin/tarnel-screenshot "$output"
