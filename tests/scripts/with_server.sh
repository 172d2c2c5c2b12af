#!/usr/bin/env bash
# Runs a command beside a throwaway PostgreSQL server of its own, for the tests of
# projects kept on a server:
#
#   with_server.sh COMMAND [ARGS ...]
#
# - The cluster is made with initdb in a new temporary folder, listens only on a socket
#   in that folder, trusts local connections and is removed when the command ends.
# - Run as root (as CI is), the server runs as the unprivileged user `nobody`, since
#   PostgreSQL refuses to run as root.
# - COMMAND sees OV_TEST_SERVER, a connection URI to the database "ov" of the server's
#   superuser "ov"; a test makes databases of its own through it.
# - Without the server's programs (Debian's postgresql) it exits 77, which ctest
#   reports as skipped, so a machine without them never passes these tests silently.
set -u

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
  echo "with_server: no PostgreSQL server programs (install postgresql); skipped"
  exit 77
fi

dir=$(mktemp -d /tmp/ov_server.XXXXXX)
as=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$dir"
  as=(runuser -u nobody --)
fi
stop() {
  "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1
  rm -rf "$dir"
}
trap stop EXIT

if ! "${as[@]}" "$bin/initdb" -D "$dir/data" -U ov --auth=trust --no-locale -E UTF8 >"$dir/initdb.log" 2>&1; then
  echo "with_server: initdb failed:"
  cat "$dir/initdb.log"
  exit 1
fi
# No durability is wanted of a cluster that is removed at the end.
if ! "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-k $dir -c listen_addresses='' -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
    start >/dev/null; then
  echo "with_server: the server did not start:"
  cat "$dir/server.log"
  exit 1
fi
"$bin/psql" -q -h "$dir" -U ov -d postgres -c "CREATE DATABASE ov" >/dev/null || exit 1

export OV_TEST_SERVER="postgresql://ov@/ov?host=$dir"
"$@"
