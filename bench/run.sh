#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmark programs in Release into build-bench/, runs every benchmark and prints one
# table: each ratio is ours / theirs, both measured side by side in the same run, the median of
# several runs; the absolute medians stand beside it.
#   bench/run.sh [--lots N] [--rows N]     (defaults: 100000 lots, 10000 report rows)
# The three-year file (yearsdata.cpp) is made on the first run into build-bench/years/ and kept.
set -euo pipefail
cd "$(dirname "$0")/.."

lots=100000
rows=10000
while [ $# -gt 0 ]; do
    case "$1" in
        --lots) lots="$2"; shift 2 ;;
        --rows) rows="$2"; shift 2 ;;
        *) echo "usage: bench/run.sh [--lots N] [--rows N]" >&2; exit 2 ;;
    esac
done

source tools/deps.sh
# The sqlite3 command-line tool is one side of a comparison.
tarnel_packages+=(sqlite3)
tarnel_install_missing

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTARNEL_BENCH=ON >/dev/null
cmake --build build-bench --parallel "$(nproc)" --target \
    stocklist_bench sale_bench report_bench startup_bench startup_probe bare_window \
    lothistory_bench serverrefresh_bench import_bench insights_bench tarnel_charts years_bench years_probe >/dev/null

# The windows are drawn offscreen unless another platform is asked for.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
bin=build-bench/bin
results=$(mktemp)
mkdir -p build-bench/years
# The server side runs on a throwaway local cluster (a Unix socket in a temporary folder).
cluster=$(mktemp /tmp/tarnel-bench-cluster.XXXXXX)
trap 'tools/pgcluster.sh stop "$cluster"; rm -f "$results" "$cluster"' EXIT
tools/pgcluster.sh start "$cluster"
server="postgresql:///postgres?host=$(cat "$cluster")&user=tarnel"
set -f # the server address holds "?"
for bench in "stocklist_bench $lots" "sale_bench" "report_bench $rows" "startup_bench $lots" \
    "lothistory_bench" "serverrefresh_bench $server $lots" "import_bench $lots" "insights_bench 1000000 100000 $lots" \
    "years_bench build-bench/years/datalx.mdb"; do
    echo "running ${bench} ..." >&2
    # shellcheck disable=SC2086
    $bin/$bench 2>/dev/null | grep '^RESULT|' >>"$results" ||
        { echo "${bench} failed" >&2; exit 1; }
done

model=$(lscpu | sed -n 's/^Model name:[[:space:]]*//p' | head -1)
cores=$(nproc)
echo
echo "Machine: ${model}, ${cores} cores; $(uname -sr); Qt $(qmake6 -query QT_VERSION 2>/dev/null ||
    echo 6); SQLite $(sqlite3 --version | cut -d' ' -f1)"
echo
echo "| what | compared with | ours (ms) | theirs (ms) | clock | ratio | goal | met |"
echo "|---|---|---:|---:|---|---:|---|---|"
awk -F'|' '
    $7 == "" { printf "| %s | %s | %s | | | | | |\n", $2, $3, $4; next }
    {
        goal = $7; limit = goal; met = ""
        value = ($6 == "") ? $4 : $6
        if (sub(/^<= */, "", limit)) met = (value + 0 <= limit + 0) ? "yes" : "NO"
        printf "| %s | %s | %s | %s | %s | %s | %s | %s |\n", $2, $3, $4, $5, $8, $6, goal, met
    }' "$results"
echo
echo "Times are the medians of at least 5 runs of each side (15 for the stock list), taken"
echo "alternately; each ratio is the median of the runs' ratios. \"cpu\" is processor time (user +"
echo "system; a child process's own), which a busy machine does not inflate; \"wall\" is elapsed"
echo "time, used where the cost is waiting for the disk."
