#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests and benchmarks.
#   scripts/pg-cluster.sh start DIR   makes (once) and starts a cluster in DIR and prints its URL
#   scripts/pg-cluster.sh stop DIR    stops it
# The cluster listens only on a socket in DIR, trusts local users and does not
# sync to disk: fast, and gone with the folder. With QUILLON_PG_DURABLE=1 it
# keeps what it commits across a crash of its own (the fault tests stop it
# mid-work). Run as root, it runs as the postgres user (the server refuses to
# run as root).
set -euo pipefail
command=${1:?start or stop}
dir=${2:?folder of the cluster}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -n "$bin" ] || { echo "pg-cluster: PostgreSQL is not installed (Debian: postgresql-15)" >&2; exit 1; }
owner() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
case $command in
  start)
    [ "$(id -u)" = 0 ] && chown postgres "$dir"
    if [ ! -f "$dir/data/PG_VERSION" ]; then
      owner "$bin/initdb" --no-sync -D "$dir/data" -U postgres --auth=trust --encoding=UTF8 --locale=C >/dev/null
    fi
    # A cluster left running by an earlier run serves again.
    if owner "$bin/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
      echo "postgresql://postgres@/postgres?host=$dir"
      exit 0
    fi
    fast="-c fsync=off -c synchronous_commit=off -c full_page_writes=off"
    [ "${QUILLON_PG_DURABLE:-0}" = 1 ] && fast=""
    owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
      -o "-k $dir -c listen_addresses='' $fast -c max_connections=300" \
      start >/dev/null
    echo "postgresql://postgres@/postgres?host=$dir"
    ;;
  stop)
    owner "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null
    ;;
  *)
    echo "pg-cluster: start or stop, not $command" >&2
    exit 2
    ;;
esac
