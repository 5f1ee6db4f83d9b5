#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests, in a folder of its own, reached over a
# socket in that folder and a free local port (no TCP listening).
#
#   pg-test-cluster.sh start [DIR]  makes a cluster in DIR (a new temporary folder when
#                                   none is given, or the existing cluster of DIR again),
#                                   starts it and prints shell lines that export
#                                   VORNELTA_TEST_PG_DIR and VORNELTA_TEST_PG_URL
#   pg-test-cluster.sh stop DIR     stops the server at once, keeping its files
#   pg-test-cluster.sh remove DIR   stops the server and deletes the folder
#
# The server refuses to run as root: as root every server command runs as the
# `postgres` system user. Exit 3 when the server programs are not installed.
set -euo pipefail

bindir=""
for dir in /usr/lib/postgresql/*/bin; do
    [ -x "$dir/initdb" ] && bindir="$dir"
done
if [ -z "$bindir" ]; then
    echo "pg-test-cluster: the PostgreSQL server programs (initdb, pg_ctl) are not installed" >&2
    exit 3
fi

# Runs a server program as a user the server accepts, with a locale this machine has.
as_server_user() {
    if [ "$(id -u)" -eq 0 ]; then
        LC_ALL=C.UTF-8 runuser -u postgres -- "$@"
    else
        LC_ALL=C.UTF-8 "$@"
    fi
}

# A local port nobody listens on: the lowest free one from a random start.
free_port() {
    local port=$((20000 + RANDOM % 20000))
    while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || [ -e "/tmp/.s.PGSQL.$port" ]; do
        port=$((port + 1))
    done
    echo "$port"
}

start() {
    local pg="${1:-}"
    if [ -z "$pg" ]; then
        pg=$(mktemp -d "${TMPDIR:-/tmp}/vornelta-pg.XXXXXX")
    fi
    mkdir -p "$pg"
    chmod 755 "$pg"
    [ "$(id -u)" -eq 0 ] && chown postgres "$pg"
    if [ ! -f "$pg/data/PG_VERSION" ]; then
        as_server_user "$bindir/initdb" -D "$pg/data" -A trust -U postgres -E UTF8 \
            >"$pg/initdb.log" 2>&1 || { cat "$pg/initdb.log" >&2; exit 1; }
        free_port >"$pg/port"
    fi
    local port
    port=$(cat "$pg/port")
    if ! as_server_user "$bindir/pg_ctl" -D "$pg/data" -l "$pg/log" \
        -o "-p $port -k $pg -c listen_addresses=''" -w start >/dev/null; then
        cat "$pg/log" >&2
        exit 1
    fi
    echo "export VORNELTA_TEST_PG_DIR='$pg'"
    echo "export VORNELTA_TEST_PG_URL='postgresql:///postgres?host=$pg&port=$port&user=postgres'"
}

stop() {
    local pg="$1"
    [ -f "$pg/data/postmaster.pid" ] || return 0
    as_server_user "$bindir/pg_ctl" -D "$pg/data" -m immediate -w stop >/dev/null
}

case "${1:-}" in
start) start "${2:-}" ;;
stop) stop "${2:?the cluster folder}" ;;
remove)
    pg="${2:?the cluster folder}"
    stop "$pg" || true
    # Only a folder that holds a cluster of ours is deleted.
    [ -f "$pg/port" ] && rm -rf "$pg"
    ;;
*)
    echo "usage: $0 start [DIR] | stop DIR | remove DIR" >&2
    exit 2
    ;;
esac
