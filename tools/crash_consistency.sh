#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The long crash test: kills the crash driver at random moments (1,000 times unless told otherwise)
# and checks the database file after every kill, as the CTest test crash_consistency does 50 times.
# Builds into build-tests/ as ./test.sh does (with the sanitizers, which watch the driver too).
# Prints "N kills, M violations (D documents logged)" and fails on any violation.
#   tools/crash_consistency.sh [KILLS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tarnel_install_missing

cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DTARNEL_TESTS=ON -DTARNEL_SANITIZE=ON \
    -DTARNEL_BENCH=ON >/dev/null
cmake --build build-tests --parallel "$(nproc)" --target crash_supervisor >/dev/null
QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
    build-tests/bin/crash_supervisor --kills "${1:-1000}" --seed "${2:-20180305}"
