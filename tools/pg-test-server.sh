#!/usr/bin/env bash
# A throwaway PostgreSQL server for tests and benchmarks, in a directory of its own.
#
#   tools/pg-test-server.sh start [--allow-missing] DIR
#                                       makes a cluster in DIR, starts it on a free port of
#                                       127.0.0.1 and writes its connection string to
#                                       DIR/conninfo (also printed); a server left running
#                                       in DIR is stopped first. With --allow-missing, a
#                                       system without the server's programs is no failure:
#                                       the reason goes to DIR/unavailable, and the tests
#                                       on the server are skipped with it.
#   tools/pg-test-server.sh stop DIR    stops it and removes DIR
#   tools/pg-test-server.sh run CMD...  starts one in a temporary directory, runs CMD with
#                                       CORVANEL_TEST_PG set to its connection string, and
#                                       stops it whatever CMD did
#
# The server runs as an unprivileged user: the caller, or the "postgres" system user (else
# "nobody") when the caller is root, which the server refuses to run as. Its default
# collation is a linguistic one where the system has it, so that anything relying on the
# server's order of text rather than on its own byte-wise order shows.
#
# Exit status 3 (with one line saying so) when the server's programs are not installed.
set -euo pipefail

bindir=""
find_bindir() {
  if command -v pg_config >/dev/null 2>&1 && [ -x "$(pg_config --bindir)/initdb" ]; then
    bindir="$(pg_config --bindir)"
    return 0
  fi
  local candidate
  for candidate in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -t/ -k5 -V -r); do
    if [ -x "$candidate/initdb" ] && [ -x "$candidate/pg_ctl" ]; then
      bindir="$candidate"
      return 0
    fi
  done
  return 1
}

# Runs a command as the user the server runs as.
as_server() {
  if [ "$(id -u)" -eq 0 ]; then
    local user=postgres
    getent passwd postgres >/dev/null || user=nobody
    runuser -u "$user" -- "$@"
  else
    "$@"
  fi
}

server_user() {
  if [ "$(id -u)" -eq 0 ]; then
    getent passwd postgres >/dev/null && echo postgres || echo nobody
  else
    id -un
  fi
}

port_free() {
  ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

missing="PostgreSQL server programs (initdb, pg_ctl) not found: install the package 'postgresql'."

start() {
  local dir="$1"
  if ! find_bindir; then
    echo "$missing" >&2
    exit 3
  fi
  mkdir -p "$dir"
  dir="$(cd "$dir" && pwd)"
  # The cluster itself lives under /tmp, where the server's user can reach it whatever
  # the rights on the way to DIR.
  local cluster
  cluster="$(mktemp -d "${TMPDIR:-/tmp}/corvanel-pg-XXXXXX")"
  echo "$cluster" >"$dir/cluster"
  chmod 700 "$cluster"
  [ "$(id -u)" -eq 0 ] && chown "$(server_user)" "$cluster"
  local locale_options=(--locale=C.UTF-8)
  if as_server "$bindir/initdb" --help 2>/dev/null | grep -q -- '--locale-provider'; then
    locale_options=(--locale=C.UTF-8 --locale-provider=icu --icu-locale=ro-RO)
  fi
  if ! as_server "$bindir/initdb" -D "$cluster/data" -U corvanel -A trust -E UTF8 "${locale_options[@]}" --no-sync \
      >"$dir/initdb.log" 2>&1; then
    rm -rf "$cluster/data"
    as_server "$bindir/initdb" -D "$cluster/data" -U corvanel -A trust -E UTF8 --locale=C.UTF-8 --no-sync \
      >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
  fi
  local port attempt
  for attempt in $(seq 1 20); do
    port=$(( 20000 + (RANDOM * 32768 + RANDOM) % 30000 ))
    port_free "$port" || continue
    if as_server "$bindir/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 30 \
        -o "-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories='$cluster' -c fsync=off \
            -c synchronous_commit=off -c full_page_writes=off -c max_connections=200 \
            -c shared_buffers=128MB" start >/dev/null 2>&1; then
      local conninfo="host=127.0.0.1 port=$port dbname=postgres user=corvanel"
      echo "$conninfo" >"$dir/conninfo"
      echo "$conninfo"
      return 0
    fi
  done
  echo "The PostgreSQL test server did not start:" >&2
  tail -20 "$cluster/server.log" >&2 || true
  exit 1
}

stop() {
  local dir="$1"
  [ -d "$dir" ] || return 0
  local cluster
  cluster="$(cat "$dir/cluster" 2>/dev/null || true)"
  if [ -n "$cluster" ] && [ -f "$cluster/data/postmaster.pid" ] && find_bindir; then
    as_server "$bindir/pg_ctl" -D "$cluster/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  [ -n "$cluster" ] && rm -rf "$cluster"
  rm -rf "$dir"
}

case "${1:-}" in
  start)
    if [ "${2:-}" = "--allow-missing" ]; then
      dir="${3:?directory}"
      stop "$dir"
      if ! find_bindir; then
        mkdir -p "$dir"
        echo "$missing" | tee "$dir/unavailable"
        exit 0
      fi
    else
      dir="${2:?directory}"
      stop "$dir"
    fi
    start "$dir"
    ;;
  stop) stop "${2:?directory}" ;;
  run)
    shift
    dir="$(mktemp -d "${TMPDIR:-/tmp}/corvanel-pg-XXXXXX")"
    trap 'stop "$dir"' EXIT INT TERM
    CORVANEL_TEST_PG="$(start "$dir")"
    export CORVANEL_TEST_PG
    "$@"
    ;;
  *)
    echo "usage: $0 start DIR | stop DIR | run COMMAND..." >&2
    exit 2
    ;;
esac
