#!/usr/bin/env bash
# ovhost's command line as callers rely on it: exit statuses, what goes to stderr, the
# order in which drawings, plug-ins, scripts and expressions are taken.
#
#   ovhost_command_line.sh OVHOST PLUGIN
set -u

ovhost=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
libdir=$(cd "$(dirname "$2")" && pwd)
plugin=$libdir/$(basename "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
# run NAME ARGS...: runs ovhost, keeping status, stdout and stderr for the checks.
run() {
  name=$1
  shift
  "$ovhost" "$@" >"$work/out" 2>"$work/err" </dev/null
  status=$?
}
fail() {
  echo "FAIL [$name] $1"
  echo "  stdout: $(cat "$work/out")"
  echo "  stderr: $(cat "$work/err")"
  failures=$((failures + 1))
}
expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1"; }
expect_out() { grep -qF -- "$1" "$work/out" || fail "stdout lacks: $1"; }
expect_err() { grep -qF -- "$1" "$work/err" || fail "stderr lacks: $1"; }
expect_no_out() { ! grep -qF -- "$1" "$work/out" || fail "stdout has: $1"; }
expect_quiet_err() { [ ! -s "$work/err" ] || fail "stderr is not empty"; }

run "unknown option" --bogus
expect_status 2
expect_err "unknown option --bogus"
expect_err "usage: ovhost"

run "option without its value" -q -d
expect_status 2
expect_err "option -d needs a value"

run "help" --help
expect_status 0
expect_out "usage: ovhost"
expect_out "--help-ui"

run "answer file grammar" --help-ui
expect_status 0
for line in "messagebox Yes" "item-cancel" "input 10.5" 'cell GRID ROW COLUMN TEXT     cell values "3/4\"" Horizontal 12.5' \
            'choose CONTROL TEXT           choose "Pipe Type" "Cast Iron"' "show"; do
  expect_out "$line"
done

run "unreadable script runs nothing" -q --no-module -e '(princ "ran")' missing.lsp
expect_status 2
expect_err "cannot read script missing.lsp"
expect_no_out "ran"

run "unreadable answer file" -q --no-module --ui missing.ui
expect_status 2

# The desktop window needs a display: without one it says so in one line, before
# anything runs or loads (the console host never loads the toolkit).
DISPLAY= run "desktop window without a display" -q --gui -e '(princ "ran")'
expect_status 2
expect_err "--gui needs a display"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "more than one line on stderr"
expect_no_out "ran"

run "desktop window with a prompt" -q --gui -i
expect_status 2
expect_err "it takes neither -i nor --ui"

run "banner" --no-module -e '(princ "x")'
expect_status 0
expect_out "ovhost: console CAD host"
run "no banner when quiet" -q --no-module -e '(princ "x")'
expect_no_out "ovhost: console CAD host"

run "a new Drawing1.hdw without --drawing" -q --no-module -e '(host-documents)'
expect_out "(\"$PWD/Drawing1.hdw\")"

printf 'not a drawing' >corrupt.hdw
run "drawings in order, the last current, a bad one skipped" -q --no-module -d first.hdw -d corrupt.hdw \
  -d other/second.dxf -e '(host-documents)' -e '(getvar "DWGNAME")'
expect_status 0
expect_out "(\"$PWD/first.hdw\" \"$PWD/other/second.dxf\")"
expect_out '"second.dxf"'
expect_err "cannot open drawing"
expect_err "corrupt.hdw"

printf '(princ "script one")\n' >one.lsp
printf '(princ "script two")\n' >two.lsp
run "scripts before expressions, both in order" -q --no-module -e '(princ "eval one")' one.lsp \
  -e '(princ "eval two")' two.lsp
expect_out 'script onescript twoeval one"eval one"'
expect_out 'eval two"eval two"'

# The exit status of a batch run: every form runs, and ovhost exits 1 with the count
# of failed forms on stderr when any ended in an error, handled by *error* or not.
printf '(princ "first")\n(car 1)\n(princ " still runs")\n(/ 1 0)\n(princ " to the end")\n' >two_errors.lsp
run "failed forms are counted and the script runs to its end" -q --no-module two_errors.lsp
expect_status 1
expect_out "first"
expect_out " still runs"
expect_out " to the end"
expect_err "2 forms ended in an error"
printf '(defun *error* (msg) (princ msg))\n(car 1)\n' >handled.lsp
run "a form whose error *error* handled still failed" -q --no-module handled.lsp
expect_status 1
expect_err "1 form ended in an error"
printf '(vl-catch-all-apply (quote car) (list 1))\n(princ "fine")\n' >caught.lsp
run "an error caught with vl-catch-all-apply is no failure" -q --no-module caught.lsp
expect_status 0
expect_quiet_err
printf '(princ "read")\n(car' >unreadable.lsp
run "a script that cannot be read to its end fails once more" -q --no-module unreadable.lsp
expect_status 1
expect_out "read"
expect_err "1 form ended in an error"
run "a failing -e expression counts" -q --no-module -e '(car 1)' -e '(princ "after")'
expect_status 1
expect_out "after"
name="what is typed at the prompt does not count"
printf '(car 1)\n' | "$ovhost" -q --no-module -i >"$work/out" 2>"$work/err"
status=$?
expect_status 0
expect_out "; error: bad argument type: consp 1"
name="a shell loop over a folder of drawings tells which failed"
mkdir -p drawings
for d in a b c; do
  line=""
  [ "$d" != b ] && line="(entmake (quote ((0 . \"LINE\") (10 0 0 0) (11 1 0 0))))"
  "$ovhost" -q --no-module -d "drawings/$d.hdw" -e "$line" -e '(host-save)' >/dev/null 2>&1 </dev/null
done
printf '(princ (sslength (ssget "X" (quote ((0 . "LINE"))))))\n' >count_lines.lsp
failedDrawings=$(for d in drawings/*.hdw; do "$ovhost" -q --no-module -d "$d" count_lines.lsp >/dev/null 2>&1 </dev/null || echo "$d"; done)
[ "$failedDrawings" = "drawings/b.hdw" ] || fail "the loop found \"$failedDrawings\" failing, expected drawings/b.hdw"

run "a plug-in that cannot be loaded does not stop the host" -q --no-module --load nowhere.so \
  -e '(princ "still here")'
expect_status 0
expect_err "cannot load"
expect_err "nowhere.so"
expect_out "still here"

run "a plug-in whose initialisation fails is unloaded whole" -q --no-module \
  --load "$libdir/libov_test_plugin_bad_init.so" -e '(ovbad-function)' -e '(host-open "b.hdw")'
expect_status 1
expect_err "1 form ended in an error"
expect_out "[ovbad] kInitAppMsg fails"
expect_err "failed to initialise"
expect_err "left 2 reactor(s) attached; removed"
expect_out "; error: no function definition: OVBAD-FUNCTION"
expect_no_out "still attached"

run "the test plug-in is told kInitAppMsg once and kLoadDwgMsg per document" -q --no-module -d a.hdw -d b.hdw \
  --load "$plugin"
[ "$(grep -c 'kInitAppMsg' "$work/out")" -eq 1 ] || fail "kInitAppMsg not told exactly once"
[ "$(grep -c 'kLoadDwgMsg' "$work/out")" -eq 2 ] || fail "kLoadDwgMsg not told once per document"
expect_out "[ovtest] kLoadDwgMsg $PWD/a.hdw"
expect_out "[ovtest] kUnloadAppMsg"
expect_quiet_err

# ovhost copied where no module lies beside it: the default module is missing.
mkdir -p alone/bin
cp "$ovhost" alone/bin/ovhost
name="a missing default module is one line on stderr"
LD_LIBRARY_PATH="$libdir" alone/bin/ovhost -q -e '(princ "going on")' >"$work/out" 2>"$work/err" </dev/null
status=$?
expect_status 0
expect_out "going on"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "not exactly one line on stderr"
expect_err "no module at $work/alone/lib/libov_plumb.so"

run "a new project" --new-project project
expect_status 0
[ -f "project/Project ov_plumb.ov" ] || fail "no project database made"
run "a folder that has a project already" --new-project project
expect_status 1
expect_err "cannot create a project"

# A drawing holding the module's entities opens from the command line: the module is
# loaded before the drawings are read, and the drawings close before it unloads.
(cd project && "$ovhost" -q -d pipes.hdw -e '(ov_plumb-insertPipe 1 (quote (0 0 10)) (quote (50 0 10)))' \
  -e '(host-save)' >/dev/null 2>&1)
run "a drawing with pipes given by -d" -q -d project/pipes.hdw -e '(cdr (assoc 0 (entget (entlast))))'
expect_status 0
expect_out '"OVPLUMBPIPE"'
expect_no_out "cannot"
expect_quiet_err

run "the prompt starts its own line after the module's banner" -q -i
grep -q '^Command: $' "$work/out" || fail "no prompt at the start of a line"

[ $failures -eq 0 ] || exit 1
echo "all ovhost command-line checks passed"
