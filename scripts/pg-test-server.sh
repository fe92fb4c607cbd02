#!/usr/bin/env bash
# A throw-away PostgreSQL 15 cluster on loopback holding the demo catalogue,
# for the catalogue tests.
#   pg-test-server.sh start   initialises and starts the cluster under a temp
#                             folder, loads the catalogue and prints export
#                             lines for eval; prints nothing on stdout and
#                             exits non-zero when it cannot.
#   pg-test-server.sh stop    stops the cluster started from this build folder
#                             and removes its folder.
# Run as root, the server runs as the user "postgres" (runuser).
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${AEROLYX_BUILD_DIR:-$ROOT/build}"
STATE="$BUILD_DIR/pg-test-server.state"
PGBIN="${AEROLYX_PG_BIN:-/usr/lib/postgresql/15/bin}"
GEN="$BUILD_DIR/bin/aerolyx-catalogue"
DB=aerolyx_catalogue
ADMIN=aerolyx
READER=aerolyx_reader

note() { echo "pg-test-server: $*" >&2; }

AS=()
if [ "$(id -u)" -eq 0 ]; then
  if ! id postgres >/dev/null 2>&1; then note "running as root needs the user postgres"; exit 1; fi
  AS=(runuser -u postgres --)
fi

port_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

stop_dir() {
  local dir="$1"
  [ -n "$dir" ] && [ -d "$dir" ] || return 0
  if [ -f "$dir/data/postmaster.pid" ]; then
    "${AS[@]}" "$PGBIN/pg_ctl" -D "$dir/data" -m immediate -w -t 30 stop >/dev/null 2>&1 || true
  fi
  case "$dir" in
    */aerolyx-pg.*) rm -rf "$dir" ;;
  esac
}

stop() {
  local dir="${AEROLYX_PG_DIR:-}"
  if [ -f "$STATE" ]; then
    dir="$(sed -n 's/^dir=//p' "$STATE")"
    rm -f "$STATE"
  fi
  stop_dir "$dir"
}

start() {
  for b in initdb pg_ctl psql; do
    if [ ! -x "$PGBIN/$b" ]; then note "$PGBIN/$b not found"; return 1; fi
  done
  if [ ! -x "$GEN" ]; then note "$GEN not built"; return 1; fi
  stop
  local dir port="" p
  dir="$(mktemp -d "${TMPDIR:-/tmp}/aerolyx-pg.XXXXXX")" || return 1
  chmod 700 "$dir"
  [ ${#AS[@]} -eq 0 ] || chown postgres: "$dir"
  fail() { note "$1 (see $dir)"; stop_dir "$dir"; return 1; }

  "${AS[@]}" "$PGBIN/initdb" -D "$dir/data" -U "$ADMIN" -A trust -E UTF8 --no-locale \
    >"$dir/initdb.log" 2>&1 || { fail "initdb failed"; return 1; }
  for p in $(seq 55432 55531); do
    if port_free "$p"; then port=$p; break; fi
  done
  [ -n "$port" ] || { fail "no free port"; return 1; }
  "${AS[@]}" "$PGBIN/pg_ctl" -D "$dir/data" -l "$dir/data/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $dir/data -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
    start >/dev/null 2>&1 || { fail "the server did not start"; return 1; }
  printf 'dir=%s\nport=%s\n' "$dir" "$port" >"$STATE" 2>/dev/null || { fail "cannot write $STATE"; return 1; }

  local script="$dir/fans_pg.sql"
  "$GEN" --pg-script "$script" >/dev/null 2>"$dir/generator.log" || { fail "the catalogue script failed"; return 1; }
  local psql=("$PGBIN/psql" -X -q -h 127.0.0.1 -p "$port" -U "$ADMIN" -v ON_ERROR_STOP=1)
  "${psql[@]}" -d postgres -c "CREATE DATABASE $DB" >/dev/null 2>"$dir/load.log" || { fail "cannot create the database"; return 1; }
  "${psql[@]}" -d "$DB" -f "$script" >/dev/null 2>>"$dir/load.log" || { fail "loading the catalogue failed"; return 1; }
  # The program's user may only read.
  "${psql[@]}" -d "$DB" >/dev/null 2>>"$dir/load.log" <<SQL || { fail "cannot create the reader role"; return 1; }
CREATE ROLE $READER LOGIN;
GRANT CONNECT ON DATABASE $DB TO $READER;
GRANT USAGE ON SCHEMA public TO $READER;
GRANT SELECT ON ALL TABLES IN SCHEMA public TO $READER;
ALTER ROLE $READER SET default_transaction_read_only = on;
-- The cluster runs without synchronous commits: make the catalogue survive a
-- crash or an immediate stop (the fault tests stop it mid-selection).
CHECKPOINT;
SQL
  echo "export AEROLYX_PG_HOST=127.0.0.1"
  echo "export AEROLYX_PG_PORT=$port"
  echo "export AEROLYX_PG_DB=$DB"
  echo "export AEROLYX_PG_USER=$READER"
  echo "export AEROLYX_PG_ADMIN_USER=$ADMIN"
  echo "export AEROLYX_PG_DIR=$dir"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
