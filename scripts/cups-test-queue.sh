#!/usr/bin/env bash
# A PDF printer for the printing tests: the CUPS queue "vornelta-test" on the cups-pdf
# backend, whose jobs land as PDF files in a folder the tests read back, and beside it
# "vornelta-test-refusing", a queue that refuses every job.
#
#   scripts/cups-test-queue.sh start STATE   prints the lines to eval:
#                                             export VORNELTA_TEST_PRINTER=vornelta-test
#                                             export VORNELTA_TEST_PRINTER_OUT=/root/PDF
#                                             export VORNELTA_TEST_REFUSING_PRINTER=…
#   scripts/cups-test-queue.sh stop STATE    undoes what start did, and only that
#
# start installs nothing (scripts/install-deps.sh does) and fails when CUPS or cups-pdf is
# missing. It starts cupsd when no scheduler runs, adds the queue when it is not there,
# and writes into STATE what it started, so that stop stops its own cupsd (by its pid)
# and removes a queue only when it added it: a scheduler or queue that was there before
# stays as it was.
set -euo pipefail

queue="${VORNELTA_TEST_QUEUE:-vornelta-test}"
refusing="$queue-refusing"
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
conf=/etc/cups/cups-pdf.conf

die() {
    echo "cups-test-queue: $*" >&2
    exit 1
}

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# The folder cups-pdf writes this user's jobs into: its "Out" setting, ${HOME} and
# ${USER} taken as the job's owner has them.
output_folder() {
    local out
    out=$(sed -n 's/^[[:space:]]*Out[[:space:]]\+//p' "$conf" | tail -n 1)
    [ -n "$out" ] || out='/var/spool/cups-pdf/${USER}'
    local user home
    user=$(id -un)
    home=$(getent passwd "$user" | cut -d: -f6)
    out=${out//\$\{HOME\}/$home}
    out=${out//\$\{USER\}/$user}
    echo "$out"
}

scheduler_running() {
    lpstat -r 2>/dev/null | grep -q "is running"
}

start() {
    local state=$1
    for tool in /usr/sbin/cupsd lpadmin lpstat; do
        command -v "$tool" >/dev/null || die "CUPS is not installed ($tool missing): install cups"
    done
    [ -f "$ppd" ] && [ -f "$conf" ] ||
        die "cups-pdf is not installed ($ppd missing): install printer-driver-cups-pdf"
    : >"$state"
    if ! scheduler_running; then
        # In the foreground of a background job, so that its pid is ours to stop; its
        # output away from ours, which the caller reads to its end.
        $sudo /usr/sbin/cupsd -f </dev/null >/dev/null 2>&1 &
        echo "cupsd_pid=$!" >>"$state"
        for _ in $(seq 1 50); do
            scheduler_running && break
            sleep 0.2
        done
        scheduler_running || die "cupsd did not start"
    fi
    for q in "$queue" "$refusing"; do
        if ! lpstat -p "$q" >/dev/null 2>&1; then
            # lpadmin warns that printer drivers are deprecated; the queue works all the same.
            $sudo lpadmin -p "$q" -v cups-pdf:/ -E -P "$ppd" 2>/dev/null
            echo "queue_added=$q" >>"$state"
        fi
    done
    $sudo cupsenable "$queue"
    $sudo cupsaccept "$queue"
    $sudo cupsreject -r "refuses every job (printing tests)" "$refusing"
    local out
    out=$(output_folder)
    mkdir -p "$out"
    echo "export VORNELTA_TEST_PRINTER=$queue"
    echo "export VORNELTA_TEST_PRINTER_OUT=$out"
    echo "export VORNELTA_TEST_REFUSING_PRINTER=$refusing"
}

stop() {
    local state=$1
    [ -f "$state" ] || return 0
    local cupsd_pid=""
    cupsd_pid=$(sed -n 's/^cupsd_pid=//p' "$state")
    for q in $(sed -n 's/^queue_added=//p' "$state"); do
        $sudo lpadmin -x "$q" 2>/dev/null || true
    done
    if [ -n "$cupsd_pid" ]; then
        $sudo kill "$cupsd_pid" 2>/dev/null || true
        for _ in $(seq 1 50); do
            kill -0 "$cupsd_pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    rm -f "$state"
}

case "${1:-}" in
start) start "${2:?state file}" ;;
stop) stop "${2:?state file}" ;;
*) die "usage: $0 start|stop STATE" ;;
esac
