; ovhost: --ui $SCRIPT_DIR/sizing_tables_files.ui
; exit: 1
; setup: --new-project .
; shell: cp "Project ov_plumb.ov" other.ov && cp "Project ov_plumb.ov" locked.ov && chmod a-w locked.ov
; The sizing-table editor on a database file of the caller's: a table made there is in
; that file and not in the project; a file marked read-only only gets its message; a
; missing file its database error; an argument that is not a text is refused. While
; the dialog works on the file, the host's program works on it too.
(defun pipeSizingTable-createLabelGroup (ix name)
  (print (list "label group" ix name (host-sql "SELECT count(*) FROM tblPipeSizingTable WHERE sName = ?" name))))
(print (ov_plumb-pipeSizingTable "other.ov"))
(print (ov_plumb-pipeSizingTable "other.ov"))
(print (ov_plumb-pipeSizingTable "locked.ov"))
(print (ov_plumb-pipeSizingTable "missing.ov"))
(print (ov_plumb-pipeSizingTable 7))
(ov_plumb-getLayer "LABEL" 1)
(print (host-sql "SELECT count(*) FROM tblPipeSizingTable WHERE sName = 'Elsewhere'"))
