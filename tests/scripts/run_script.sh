#!/usr/bin/env bash
# Runs one end-to-end LISP script through ovhost and compares what it prints with the
# expected text; ctest runs it once for every NAME.lsp of this folder.
#
#   run_script.sh OVHOST PLUGIN NAME.lsp
#
# How a script is run:
# - `ovhost -q [ARGS] NAME.lsp` in a fresh, empty temporary folder, which is also
#   TMPDIR (so automatic save files land there as well).
# - ovhost must exit with the status a line `; exit: N` anywhere in the script gives,
#   0 without one. ovhost exits with 1 when a top-level form ended in an error, so a
#   script that provokes errors on purpose says `; exit: 1`.
# - ARGS come from a first line `; ovhost: ARGS`, split into words as the shell splits
#   them; $PLUGIN stands for the test plug-in, $SCRIPT_DIR for this folder. Without
#   that line there are no extra arguments (and the default module is loaded when it
#   has been built: scripts that do not want it say --no-module).
# - A line `; setup: ARGS` anywhere in the script runs `ovhost -q ARGS` in the same
#   folder first (for example `--new-project .` to give the script a project);
#   its output is not compared.
# - Lines `; shell: COMMAND` run COMMAND with bash in the same folder after the setup,
#   in order (for what ovhost cannot do, such as marking a file read-only).
# - NAME.stdin, when present, is ovhost's standard input (for -i); otherwise the input
#   is empty.
# - NAME.expected is the exact standard output, with the temporary folder's path
#   written as $TMP. Standard error is not compared; it is shown when the test fails.
#   With OV_WRITE_EXPECTED=1 in the environment the run's output becomes NAME.expected.
# - With OV_TEST_SERVER in the environment (under with_server.sh), a setup making a
#   project makes it on that server, in a new database of its own: the same script and
#   expected output then check a project kept on a server.
set -u

ovhost=$1
PLUGIN=$2
script=$3
SCRIPT_DIR=$(cd "$(dirname "$script")" && pwd)
name=$(basename "$script" .lsp)
expected="$SCRIPT_DIR/$name.expected"

work=$(mktemp -d)
logs=$(mktemp -d)
trap 'rm -rf "$work" "$logs"' EXIT

args=()
first=$(head -n 1 "$script")
pattern='^;[[:space:]]*ovhost:(.*)$'
if [[ $first =~ $pattern ]]; then
  eval "args=(${BASH_REMATCH[1]})"
fi
setup=()
setupLine=$(grep -m 1 -E '^;[[:space:]]*setup:' "$script" || true)
if [ -n "$setupLine" ]; then
  eval "setup=(${setupLine#*setup:})"
  if [ -n "${OV_TEST_SERVER:-}" ] && [[ " ${setup[*]} " == *" --new-project "* ]]; then
    database="script_${name}_$$"
    psql -q "$OV_TEST_SERVER" -c "CREATE DATABASE \"$database\"" >/dev/null || exit 1
    setup+=(--server "postgresql://ov@/$database?${OV_TEST_SERVER#*\?}")
  fi
  if ! (cd "$work" && TMPDIR="$work" "$ovhost" -q "${setup[@]}") >"$logs/setup" 2>&1; then
    echo "setup of the script failed:"
    cat "$logs/setup"
    exit 1
  fi
fi
while IFS= read -r command; do
  if ! (cd "$work" && bash -c "$command") >>"$logs/setup" 2>&1; then
    echo "a shell line of the script failed: $command"
    cat "$logs/setup"
    exit 1
  fi
done < <(sed -n -E 's/^;[[:space:]]*shell:[[:space:]]*//p' "$script")
expectedStatus=0
exitLine=$(grep -m 1 -E '^;[[:space:]]*exit:' "$script" || true)
if [ -n "$exitLine" ]; then
  expectedStatus=$(echo "${exitLine#*exit:}" | tr -d '[:space:]')
fi
input=/dev/null
[ -f "$SCRIPT_DIR/$name.stdin" ] && input="$SCRIPT_DIR/$name.stdin"

(cd "$work" && TMPDIR="$work" "$ovhost" -q ${args[@]+"${args[@]}"} "$script") \
  <"$input" >"$logs/raw" 2>"$logs/stderr"
status=$?

# The folder's path as ovhost may see it, symbolic links resolved or not.
resolved=$(cd "$work" && pwd -P)
sed -e "s|$resolved|\$TMP|g" -e "s|$work|\$TMP|g" "$logs/raw" >"$logs/actual"

# OV_WRITE_EXPECTED=1 takes this run as the expected output, for a deliberate change
# of behaviour: read the difference git shows before committing it.
if [ "${OV_WRITE_EXPECTED:-0}" = 1 ]; then
  cp "$logs/actual" "$expected"
fi

failed=0
if [ "$status" -ne "$expectedStatus" ]; then
  echo "ovhost exited with status $status, expected $expectedStatus"
  failed=1
fi
if [ ! -f "$expected" ]; then
  echo "no expected output $expected; this run printed:"
  cat "$logs/actual"
  failed=1
elif ! diff -u "$expected" "$logs/actual"; then
  failed=1
fi
if [ $failed -ne 0 ]; then
  echo "---- standard error ----"
  cat "$logs/stderr"
  exit 1
fi
exit 0
