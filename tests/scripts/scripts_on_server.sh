#!/usr/bin/env bash
# Every end-to-end script that makes a project runs again with the project on a server
# (run under with_server.sh, which sets OV_TEST_SERVER; run_script.sh then makes each
# script's project in a database of its own). The same expected output must come out.
#
#   scripts_on_server.sh OVHOST PLUGIN
set -u
here=$(cd "$(dirname "$0")" && pwd)
# Scripts that check what only an SQLite file has, each with the reason:
declare -A fileOnly=(
  [pipe_symbols]="writes the project file with the sqlite3 program"
  [sizing_tables_files]="makes the project read-only by the file's mode"
  [project_explorer]="prints reals joined with || as SQLite writes them (20.0, the server 20)"
  [flow_categories]="its own SQL mixes a text and an integer in coalesce"
  [seed_project]="its own SQL has a grouped query's subquery use an ungrouped column"
)
passed=0
failed=0
for script in "$here"/*.lsp; do
  grep -q -E '^;[[:space:]]*setup:.*--new-project' "$script" || continue
  name=$(basename "$script" .lsp)
  if [ -n "${fileOnly[$name]:-}" ]; then
    echo "$name: not on a server: ${fileOnly[$name]}"
    continue
  fi
  if out=$(bash "$here/run_script.sh" "$1" "$2" "$script" 2>&1); then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "---- $(basename "$script") on a server ----"
    echo "$out"
  fi
done
echo "scripts on a server: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
