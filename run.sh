#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the application into build/ and starts it on build/bin/datalx.mdb.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tarnel_install_missing

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --parallel "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found. To run the application without a screen, use: xvfb-run ./run.sh"
    exit 1
fi
exec build/bin/tarnel "$@"
