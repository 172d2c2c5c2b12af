#!/usr/bin/env bash
# A project on a server end to end through ovhost, run under with_server.sh:
#
#   server_project.sh OVHOST
#
# --new-project --server writes a project file holding only the server's URI; the
# options dialog of one ovhost process stores a setting that a second process, started
# after, reads through the host program's SQL; --copy-project brings the project's rows
# back into an SQLite file, the setting with them.
set -u
ovhost=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
check() {  # what, expected, actual
  if [ "$2" != "$3" ]; then
    printf 'FAILED %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
    failed=1
  fi
}

check "new project" "Created site/Project ov_plumb.ov on its server" \
  "$("$ovhost" -q --new-project site --server "$OV_TEST_SERVER" 2>&1)"
check "the project file" "$OV_TEST_SERVER" "$(cat "site/Project ov_plumb.ov")"
check "a second project on the same database" "1" \
  "$("$ovhost" -q --new-project again --server "$OV_TEST_SERVER" >/dev/null 2>&1; echo $?)"

printf 'dialog Orvane Plumbing Options\ncell settings "Break width" Value 3.5\nclick OK\n' >answers.ui
check "the options dialog" '-> closed with OK("pipe-breakWidth")' \
  "$(cd site && "$ovhost" -q --ui ../answers.ui -e '(ov_plumb-getLayer "LABEL" 1)' -e '(ov_plumb-options "BLOCKS/")' 2>&1 | tail -n 1)"
check "the setting read by another process" "((3.5))" \
  "$(cd site && "$ovhost" -q -e '(ov_plumb-getLayer "LABEL" 1)' \
       -e '(host-sql "SELECT dNumber FROM tblGlobal WHERE sKey = ?" "pipe-breakWidth")' 2>&1 | tail -n 1)"

"$ovhost" -q --new-project copy --copy-project site >copy.log 2>&1
check "the copy" "Created copy/Project ov_plumb.ov" "$(tail -n 1 copy.log)"
check "the setting in the copied file" "3.5" \
  "$(sqlite3 "copy/Project ov_plumb.ov" "SELECT dNumber FROM tblGlobal WHERE sKey = 'pipe-breakWidth'")"
exit $failed
