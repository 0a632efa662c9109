#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A throwaway CUPS scheduler for the test that prints through the real print path: its own
# configuration, spool, cache, state and log folders in a new temporary folder, listening only on
# a Unix socket there, with one PDF printer (cups-pdf) that writes into that folder; removed again
# afterwards.
#   cupsd.sh start STATEFILE   writes "socket PATH", "printer NAME" and "output FOLDER" lines
#   cupsd.sh stop STATEFILE    stops the scheduler and removes its folder (also when none runs)
# Point CUPS_SERVER at the socket to use it. The scheduler needs root (it runs the PDF printer's
# back end as root); when it cannot start, STATEFILE holds one line "unavailable REASON" and the
# printing test skips with that reason.
# cups-pdf reads its settings from /etc/cups only: the printer's own settings file there,
# cups-pdf-NAME.conf, exists only while the scheduler runs.
set -euo pipefail

action=${1:-}
state=${2:-}
if [ -z "$action" ] || [ -z "$state" ]; then
    echo "usage: cupsd.sh start|stop STATEFILE" >&2
    exit 2
fi

stop() {
    [ -f "$state" ] || return 0
    local dir printer
    dir=$(sed -n 's/^folder //p' "$state")
    printer=$(sed -n 's/^printer //p' "$state")
    case "$printer" in
        tarnel-test-*) rm -f "/etc/cups/cups-pdf-$printer.conf" ;;
    esac
    if [ -n "$dir" ] && [ -f "$dir/cupsd.pid" ]; then
        local pid
        pid=$(cat "$dir/cupsd.pid")
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
    fi
    case "$dir" in
        /tmp/tarnel-cups.*) rm -rf "$dir" ;;
    esac
    rm -f "$state"
}

# The test skips with this reason.
cannot_start() {
    echo "unavailable $1" >"$state"
    echo "no throwaway CUPS scheduler: $1" >&2
    exit 0
}

start() {
    stop # a scheduler left over from an interrupted run
    [ "$(id -u)" -eq 0 ] || cannot_start "it needs root"
    command -v cupsd >/dev/null && command -v lpadmin >/dev/null ||
        cannot_start "cupsd or lpadmin is missing (Debian package cups)"
    [ -x /usr/lib/cups/backend/cups-pdf ] ||
        cannot_start "the PDF printer is missing (Debian package printer-driver-cups-pdf)"
    local dir
    dir=$(mktemp -d /tmp/tarnel-cups.XXXXXX)
    echo "folder $dir" >"$state"
    mkdir -p "$dir/etc/ppd" "$dir/etc/ssl" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log" \
        "$dir/pdf" "$dir/pdf-spool"
    chmod 755 "$dir"
    chgrp lp "$dir/spool" "$dir/spool/tmp" "$dir/cache" "$dir/state"
    chmod 0710 "$dir/spool"
    chmod 1770 "$dir/spool/tmp"
    chmod 0770 "$dir/cache" "$dir/state"
    cat >"$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
DataDir /usr/share/cups
ServerBin /usr/lib/cups
FileDevice Yes
User lp
Group lp
SystemGroup root
CONF
    cat >"$dir/etc/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel info
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultShared No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" </dev/null \
        >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"
    export CUPS_SERVER="$dir/cups.sock"
    local running=
    for _ in $(seq 1 100); do
        if lpstat -r 2>/dev/null | grep -q "is running"; then
            running=yes
            break
        fi
        kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$running" ]; then
        cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
        local reason="cupsd did not start"
        stop
        cannot_start "$reason"
    fi
    echo "socket $dir/cups.sock" >>"$state"

    # The PDF printer, writing into the temporary folder.
    local printer="tarnel-test-${dir##*.}"
    echo "printer $printer" >>"$state"
    cat >"/etc/cups/cups-pdf-$printer.conf" <<CONF
Out $dir/pdf
AnonDirName $dir/pdf
Spool $dir/pdf-spool
Log $dir/log
Grp lp
CONF
    if ! lpadmin -p "$printer" -E -v "cups-pdf:/$printer" \
        -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -D "Tarnel test PDF printer" \
        -o pdftops-renderer-default=gs 2>"$dir/log/lpadmin"; then
        cat "$dir/log/lpadmin" >&2
        stop
        cannot_start "the PDF printer could not be added"
    fi
    echo "output $dir/pdf" >>"$state"
}

case "$action" in
    start) start ;;
    stop) stop ;;
    *)
        echo "usage: cupsd.sh start|stop STATEFILE" >&2
        exit 2
        ;;
esac
