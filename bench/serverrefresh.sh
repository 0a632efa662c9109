#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs serverrefresh_bench against a throwaway local PostgreSQL cluster (a Unix socket in a
# temporary folder), which is removed afterwards.
#   bench/serverrefresh.sh BUILD_DIR [ROWS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: serverrefresh.sh BUILD_DIR [ROWS]}
state=$(mktemp /tmp/tarnel-bench-cluster.XXXXXX)
trap '"$here/../tools/pgcluster.sh" stop "$state"; rm -f "$state"' EXIT
"$here/../tools/pgcluster.sh" start "$state"
"$build/bin/serverrefresh_bench" "postgresql:///postgres?host=$(cat "$state")&user=tarnel" "${2:-100000}"
