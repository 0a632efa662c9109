#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A throwaway PostgreSQL cluster for the tests that run against a server: made in a new temporary
# folder, listening only on a Unix socket in that folder, and removed again afterwards.
#   pgcluster.sh start STATEFILE   writes the socket folder into STATEFILE
#   pgcluster.sh stop STATEFILE    stops the cluster and removes its folder (also when none runs)
#   pgcluster.sh down STATEFILE    stops the server (ending every session), keeping the cluster
#   pgcluster.sh up STATEFILE      starts the server of a cluster that is down again
# The superuser is "tarnel", trusted on the socket. initdb refuses to run as root, so under root
# the cluster belongs to the postgres user.
set -euo pipefail

action=${1:-}
state=${2:-}
if [ -z "$action" ] || [ -z "$state" ]; then
    echo "usage: pgcluster.sh start|stop|down|up STATEFILE" >&2
    exit 2
fi

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ]; then
    echo "PostgreSQL server programs not found (install postgresql)" >&2
    exit 1
fi

as_owner=()
if [ "$(id -u)" -eq 0 ]; then
    as_owner=(runuser -u postgres --)
fi

stop() {
    [ -f "$state" ] || return 0
    local dir
    dir=$(cat "$state")
    if [ -n "$dir" ] && [ -d "$dir/data" ]; then
        "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    case "$dir" in
        /tmp/tarnel-pg.*) rm -rf "$dir" ;;
    esac
    rm -f "$state"
}

serve() {
    local dir=$1
    "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
        -o "-k $dir -c listen_addresses= -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
        start >/dev/null || {
        cat "$dir/server.log" >&2
        exit 1
    }
}

case "$action" in
    down)
        dir=$(cat "$state")
        "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
        ;;
    up)
        serve "$(cat "$state")"
        ;;
    start)
        stop # a cluster left over from an interrupted run
        dir=$(mktemp -d /tmp/tarnel-pg.XXXXXX)
        echo "$dir" >"$state"
        if [ ${#as_owner[@]} -gt 0 ]; then
            chown postgres: "$dir"
        fi
        "${as_owner[@]}" "$bindir/initdb" -D "$dir/data" --no-sync --auth=trust -U tarnel \
            -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 || {
            cat "$dir/initdb.log" >&2
            exit 1
        }
        serve "$dir"
        ;;
    stop)
        stop
        ;;
    *)
        echo "usage: pgcluster.sh start|stop|down|up STATEFILE" >&2
        exit 2
        ;;
esac
