; ovhost: --ui $SCRIPT_DIR/sizing_tables_delete.ui
; setup: --new-project .
; What the sizing-table editor refuses and removes. Delete tests, in order: the last
; table of a pipe type, the only active one, one a pipe uses; a stored table is asked
; about, a new one goes without a question; a host that fails to delete is reported.
; Unticking the only active table turns it back on. A pipe type without sizes stores
; a table without values; one without tables stores nothing until New.
(ov_plumb-getLayer "LABEL" 1)
(host-sql "INSERT INTO tblPipe (ixPipeType, ixPipeSizingTable) VALUES (5, 8)")
(host-sql "INSERT INTO tblPipeType (ixPipeType, sName, iSortOrder) VALUES (7, 'No Sizes', 7), (8, 'No Tables', 8)")
(host-sql "INSERT INTO tblPipeSize (ixPipeType, sLabel, dInteriorDiameter) VALUES (8, 'B', 2), (8, 'A', 1)")
(defun tables ()
  (host-sql "SELECT ixPipeType, iSortOrder, sName, bActive FROM tblPipeSizingTable WHERE ixPipeType IN (1, 2, 4, 5, 7, 8) ORDER BY ixPipeType, iSortOrder"))
(defun counts ()
  (list (host-sql "SELECT count(*) FROM tblPipeSizingValue WHERE ixPipeSizingTable = 2")
        (host-sql "SELECT count(*) FROM tblLabelGroup WHERE sGroup = 'Pipe Sizing Table:2'")
        (host-sql "SELECT count(*) FROM tblPipeSizingValue v JOIN tblPipeSizingTable t ON t.ixPipeSizingTable = v.ixPipeSizingTable WHERE t.ixPipeType IN (7, 8)")))
(ov_plumb-pipeSizingTable)
(foreach row (tables) (print row))
(print (counts))
; A host program whose delete does nothing: the table stays and the user is told.
(defun pipeSizingTable-deleteRecord (ix) (princ (strcat "\ndelete asked for " (itoa ix))) nil)
(ov_plumb-pipeSizingTable)
(foreach row (tables) (print row))
