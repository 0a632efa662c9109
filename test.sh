#!/usr/bin/env bash
# Installs what is missing, builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-tests/ and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tarnel_install_missing

cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DTARNEL_TESTS=ON -DTARNEL_SANITIZE=ON \
    -DTARNEL_BENCH=ON >/dev/null
cmake --build build-tests --parallel "$(nproc)"
cd build-tests
ctest --output-on-failure --parallel "$(nproc)" "$@"
