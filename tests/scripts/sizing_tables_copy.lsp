; ovhost: --ui $SCRIPT_DIR/sizing_tables_copy.ui
; setup: --new-project .
; Copying sizing tables: the copy dialog proposes a free name, refuses a blank one and
; one the chosen pipe type has; a copy to the same pipe type takes every flow, one to
; a pipe type with other size labels takes the flows of the labels both have and the
; new-row flows elsewhere. Names holding apostrophes and double quotes are data: they
; are stored, found by the name test and written into the label group as typed.
(ov_plumb-getLayer "LABEL" 1)
(defun tables (type)
  (host-sql "SELECT ixPipeSizingTable, iSortOrder, sName, bActive, bHorizontalOnly FROM tblPipeSizingTable WHERE ixPipeType = ? ORDER BY iSortOrder" type))
(defun values (name)
  (host-sql "SELECT s.sLabel, v.dFlow, v.dFlowVertical, v.bEnable FROM tblPipeSizingValue v JOIN tblPipeSize s ON s.ixPipeSize = v.ixPipeSize JOIN tblPipeSizingTable t ON t.ixPipeSizingTable = v.ixPipeSizingTable WHERE t.sName = ? AND s.sLabel IN ('3/4\"', '1\"', '1-1/2\"', '2\"', '8\"') ORDER BY s.dInteriorDiameter" name))
(defun titles ()
  (host-sql "SELECT g.sGroup, g.sLabel, t.sName = g.sLabel FROM tblLabelGroup g JOIN tblPipeSizingTable t ON g.sGroup = 'Pipe Sizing Table:' || t.ixPipeSizingTable WHERE g.sKey = 'Schedule Title' AND t.sName LIKE '%''%' ORDER BY g.sGroup"))
(ov_plumb-pipeSizingTable)
(foreach row (tables 1) (print row))
(foreach row (tables 3) (print row))
; The same-type copy has every flow of its source, the copy to sanitary waste those of
; the labels both pipe types have.
(foreach row (values "O'Brien \"Main\"") (print row))
(foreach row (values "Main 1") (print row))
(foreach row (titles) (print row))
(print (host-sql "SELECT count(*) FROM tblPipeSizingValue v JOIN tblPipeSizingTable t ON t.ixPipeSizingTable = v.ixPipeSizingTable WHERE t.sName = ?" "O'Brien \"Main\" 2"))
