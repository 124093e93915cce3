#!/usr/bin/env bash
# Private PostgreSQL cluster for the data tests, reachable on the loopback address only:
#   127.0.0.1:15432, user postgres (trust), database qeltest.
#
# Usage: scripts/pg-server.sh start|stop|status|restart [DIR]
# The cluster (data, socket, log) lives under DIR (default /tmp/qel-pg, or $QEL_PG_DIR), so it
# never touches a system instance. "start" is idempotent and returns once the server accepts
# connections; it then prints the settings as shell assignments. The server refuses to run as
# root, so when started by root it runs as the postgres user. Packages: scripts/install-deps.sh.
set -euo pipefail

cmd="${1:-}"
dir="${2:-${QEL_PG_DIR:-/tmp/qel-pg}}"
case "$dir" in /*) ;; *) dir="$(pwd)/$dir" ;; esac
host=127.0.0.1
port=15432
db=qeltest

die() { echo "pg-server: $*" >&2; exit 1; }

bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)"
[ -n "$bin" ] && [ -x "$bin/pg_ctl" ] || die "PostgreSQL server binaries not found (run scripts/install-deps.sh)"

as_owner() { # command… run as the cluster's owner
    if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

ready() { "$bin/pg_isready" -q -h "$host" -p "$port" -t 1 >/dev/null 2>&1; }

start() {
    if ready; then return; fi
    install -d -m 755 "$dir"
    [ "$(id -u)" = 0 ] && chown postgres:postgres "$dir"
    if [ ! -s "$dir/data/PG_VERSION" ]; then
        as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --no-sync >"$dir/initdb.log" 2>&1 ||
            { cat "$dir/initdb.log" >&2; die "initdb failed"; }
    fi
    as_owner install -d -m 755 "$dir/sock"
    # Test data is thrown away: durability only costs time here.
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
        -o "-c listen_addresses=$host -p $port -k $dir/sock -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
        start </dev/null >/dev/null 2>&1 || { tail -n 20 "$dir/server.log" >&2; die "server did not start"; }
    local deadline=$((SECONDS + 30))
    until ready; do ((SECONDS < deadline)) || die "server started but does not accept on $host:$port"; sleep 0.1; done
    if ! psql -h "$host" -p "$port" -U postgres -d postgres -Atqc "SELECT 1 FROM pg_database WHERE datname = '$db'" | grep -q 1; then
        psql -h "$host" -p "$port" -U postgres -d postgres -qc "CREATE DATABASE $db" >/dev/null
    fi
}

stop() {
    if [ -s "$dir/data/postmaster.pid" ]; then
        as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w -t 30 stop >/dev/null 2>&1 || true
    fi
    local deadline=$((SECONDS + 15))
    while ready; do ((SECONDS < deadline)) || die "server on $host:$port still answers after stopping"; sleep 0.1; done
}

case "$cmd" in
start) start; echo "QEL_PG_CONNINFO=\"host=$host port=$port user=postgres dbname=$db\"" ;;
stop) stop ;;
restart) stop; start ;;
status) if ready; then echo "postgresql: running on $host:$port"; else echo "postgresql: stopped"; exit 1; fi ;;
*) die "usage: $0 start|stop|status|restart [DIR]" ;;
esac
