; ovhost: --ui $SCRIPT_DIR/pipe_sizes.ui
; setup: --new-project .
; The pipe-size editor. Two pipe types first in the order: "Test Type" with sizes T1
; (1 / 1.315) and T2 (2 / 2.375) and two sizing tables, and "Bare" without sizes. New
; adds one past the last of its type (a type without sizes starts at 1), an edited
; interior diameter keeps its type's order, the last size of a type and a size a pipe
; uses are not deleted; OK removes what was deleted with its sizing values and gives
; each new size a zero flow in every sizing table of its type. Cancel stores nothing.
; Then the sizing-table editor's "Edit Sizes..." and back.
(ov_plumb-getLayer "LABEL" 1)
(host-sql "INSERT INTO tblPipeType (ixPipeType, sName, iSortOrder) VALUES (7, 'Test Type', -1), (8, 'Bare', 0)")
(host-sql "INSERT INTO tblPipeSize (ixPipeSize, ixPipeType, sLabel, dInteriorDiameter, dExteriorDiameter) VALUES (101, 7, 'T1', 1, 1.315), (102, 7, 'T2', 2, 2.375)")
(host-sql "INSERT INTO tblPipeSizingTable (ixPipeSizingTable, ixPipeType, iSortOrder, sName, bActive, bHorizontalOnly) VALUES (21, 7, 1, 'First', -1, 0), (22, 7, 2, 'Second', 0, 0)")
(host-sql "INSERT INTO tblPipeSizingValue (ixPipeSizingTable, ixPipeSize, dFlow, dFlowVertical, bEnable) VALUES (21, 101, 5, 5, 1), (22, 101, 6, 6, 1), (21, 102, 7, 7, 1), (22, 102, 8, 8, 1)")
(host-sql "INSERT INTO tblPipe (ixPipeType, ixPipeSize) VALUES (7, 101)")
(defun sizes ()
  (host-sql "SELECT ixPipeType, sLabel, dInteriorDiameter, dExteriorDiameter FROM tblPipeSize WHERE ixPipeType IN (7, 8) ORDER BY ixPipeType, dInteriorDiameter"))
(defun flows ()
  (host-sql "SELECT t.sName, s.sLabel, v.dFlow FROM tblPipeSizingValue v JOIN tblPipeSizingTable t ON t.ixPipeSizingTable = v.ixPipeSizingTable JOIN tblPipeSize s ON s.ixPipeSize = v.ixPipeSize WHERE t.ixPipeType = 7 ORDER BY t.sName, s.dInteriorDiameter"))
(print (ov_plumb-pipeSize))
(foreach row (sizes) (print row))
(foreach row (flows) (print row))
(setq before (list (sizes) (flows)))
(ov_plumb-pipeSize)
(print (equal before (list (sizes) (flows))))
(ov_plumb-pipeSizingTable)
(foreach row (sizes) (print row))
(print (host-sql "SELECT count(*), sum(dFlow) FROM tblPipeSizingValue v JOIN tblPipeSize s ON s.ixPipeSize = v.ixPipeSize WHERE s.sLabel = 'T4'"))
(ov_plumb-pipeSize)
