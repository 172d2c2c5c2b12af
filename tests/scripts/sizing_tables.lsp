; ovhost: --ui $SCRIPT_DIR/sizing_tables.ui
; setup: --new-project .
; The sizing-table editor on a new project, driven as a user drives it: the first run
; edits flows and flags of the cold-water tables, renames one, moves it up and leaves
; for another pipe type, then escapes; what it stored stays. The second closes with OK
; on Vent, so the third opens there; "Edit Pipe Types..." stores and closes first, then
; opens the pipe types on Vent.
(ov_plumb-getLayer "LABEL" 1)
(defun tables (type)
  (host-sql "SELECT ixPipeSizingTable, iSortOrder, sName, bActive, bHorizontalOnly FROM tblPipeSizingTable WHERE ixPipeType = ? ORDER BY iSortOrder" type))
(defun values (table)
  (host-sql "SELECT s.sLabel, v.dFlow, v.dFlowVertical, v.bEnable FROM tblPipeSizingValue v JOIN tblPipeSize s ON s.ixPipeSize = v.ixPipeSize WHERE v.ixPipeSizingTable = ? AND s.sLabel IN ('1/2\"', '3/4\"', '1\"') ORDER BY s.dInteriorDiameter" table))
(defun groups (table)
  (host-sql "SELECT sKey, bDisplay, sLabel FROM tblLabelGroup WHERE sGroup = ? ORDER BY sKey" (strcat "Pipe Sizing Table:" (itoa table))))
(print (ov_plumb-pipeSizingTable))
; Table 2 renamed, first in the order, vertical flows its own; table 1 moved down at once.
(foreach row (tables 1) (print row))
(foreach row (values 2) (print row))
(foreach row (groups 2) (print row))
(print (length (host-sql "SELECT ixPipeSizingValue FROM tblPipeSizingValue WHERE ixPipeSizingTable = 2")))
(print (ov_plumb-pipeSizingTable))
(print (ov_plumb-pipeSizingTable))
; The vertical flag of Vent's table, stored by "Edit Pipe Types..." before it closed.
(foreach row (tables 4) (print row))
(foreach row (groups 6) (print row))
