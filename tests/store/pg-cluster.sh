#!/usr/bin/env bash
# A private PostgreSQL cluster for the store's tests and benchmarks. It lives in a fresh temporary
# folder, is made by initdb as the unprivileged "postgres" user when run as root (initdb refuses
# root), and listens only on a Unix socket in that folder: no TCP, and Debian's own cluster is
# left alone. The STATE file records where it is.
#
#   pg-cluster.sh start STATE CLI   a new cluster; CLI (quorvane-cli) makes the store's roles, then
#                                   the tests' login roles are added: station_login, engineer_login,
#                                   reader_login (trusted) and quorvane_pw (password only)
#   pg-cluster.sh halt STATE        stops the server, keeping its data
#   pg-cluster.sh resume STATE      starts it again
#   pg-cluster.sh stop STATE        stops it (whatever it is doing) and removes its folder
set -euo pipefail

action=${1:?action}
state=${2:?state file}
port=5432
# The tests know this password; it guards a role of a throw-away cluster.
password='pw-Quorvane-テスト'

bindir=$(pg_config --bindir 2>/dev/null || true)
if [ ! -x "$bindir/initdb" ]; then
  bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
fi
[ -x "$bindir/initdb" ] || { echo "pg-cluster: initdb not found (install postgresql)" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

folder() { [ -f "$state" ] && sed -n 's/^dir=//p' "$state" || true; }

server() { # pg_ctl with the cluster's options
  local dir=$1; shift
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses='' -c unix_socket_directories='$dir' -p $port -c fsync=off -c full_page_writes=off -c max_connections=300" \
    "$@"
}

stop() {
  local dir
  dir=$(folder)
  if [ -n "$dir" ] && [ -d "$dir" ]; then
    if [ -d "$dir/data" ]; then as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true; fi
    case "$dir" in /tmp/quorvane-pg.*) rm -rf "$dir" ;; esac
  fi
  rm -f "$state"
}

case "$action" in
start)
  cli=${3:?quorvane-cli}
  stop # one left by a run that was killed
  dir=$(mktemp -d /tmp/quorvane-pg.XXXXXX)
  chmod 755 "$dir"
  if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir"; fi
  printf 'dir=%s\nsocket=%s\nport=%s\nbindir=%s\n' "$dir" "$dir" "$port" "$bindir" > "$state"
  as_owner "$bindir/initdb" -D "$dir/data" -U postgres --auth=trust --encoding=UTF8 --no-locale --no-sync >/dev/null
  as_owner sh -c "printf 'local all quorvane_pw scram-sha-256\nlocal all all trust\n' > '$dir/data/pg_hba.conf'"
  server "$dir" start >/dev/null
  psql=("$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir" -p "$port" -U postgres)
  "${psql[@]}" -d postgres -c "CREATE DATABASE quorvane_roles"
  "$cli" store init --db "postgresql:///quorvane_roles?host=$dir&port=$port&user=postgres" >/dev/null
  "${psql[@]}" -d postgres <<SQL
CREATE ROLE station_login LOGIN IN ROLE quorvane_station;
CREATE ROLE engineer_login LOGIN IN ROLE quorvane_engineer;
CREATE ROLE reader_login LOGIN IN ROLE quorvane_reader;
SET password_encryption = 'scram-sha-256';
CREATE ROLE quorvane_pw LOGIN IN ROLE quorvane_station PASSWORD '$password';
SQL
  ;;
halt)
  dir=$(folder)
  server "$dir" -m immediate stop >/dev/null
  ;;
resume)
  dir=$(folder)
  server "$dir" start >/dev/null
  ;;
stop)
  stop
  ;;
*)
  echo "pg-cluster: unknown action $action" >&2
  exit 2
  ;;
esac
