#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-tests/ and runs every test through CTest. The suites that also run against a
# PostgreSQL server get a throwaway cluster in a temporary folder, which CTest starts before them
# and removes after them; the test of the real print path likewise gets a throwaway CUPS
# scheduler with a PDF printer (as root only; otherwise that test says why and skips).
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tarnel_install_missing

# Also when CTest itself is interrupted, the test cluster and the test printer's scheduler do not
# outlive the run.
root=$PWD
trap '"$root/tools/pgcluster.sh" stop "$root/build-tests/pgcluster.dir";
      "$root/tools/cupsd.sh" stop "$root/build-tests/cupsd.state"' EXIT

cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DTARNEL_TESTS=ON -DTARNEL_SANITIZE=ON \
    -DTARNEL_BENCH=ON >/dev/null
cmake --build build-tests --parallel "$(nproc)"
cd build-tests
ctest --output-on-failure --parallel "$(nproc)" "$@"
