; ovhost: --ui $SCRIPT_DIR/project_explorer.ui
; exit: 1
; setup: --new-project .
; The project explorer on a project with two floors in two drawings: cold water pipes
; on both floors, waste on the second, one pipe erased; fixture callouts placed
; on both floors and a gate valve placed nowhere. Every SELECT the dialog sends is
; printed with its sort and value columns. Without a stored sort setting the callout
; comes first; the pipe symbols' tree is shown opened in both orders; a row opened
; again is queried again; the queries answer for objects and callouts and the
; dialog comes back; "Find <" answers the object. A point answered by the host gives
; its coordinates as keys; with no valve left, "None in database".
(ov_plumb-getLayer "LABEL" 1)
(host-sql "INSERT INTO tblFloor (ixFloor, ixFloorAbove, sName, dElevation, dCeilingHeight, dFloorToFloorHeight) VALUES (2, NULL, 'Level 2', 144, 0, 0)")
(host-sql "UPDATE tblFloor SET ixFloorAbove = 2 WHERE ixFloor = 1")
(host-sql "INSERT INTO tblAlignmentPointArea (ixFloor, sName, sDrawing, iAlignmentPointNumber, bDeleted) VALUES (1, 'Ground', 'first.hdw', 1, 0), (2, 'Upper', 'second.hdw', 1, 0)")
(host-sql "INSERT INTO tblPipe (ixPipe, ixPipeType, ixPipeSize, sDrawing, iAlignmentPointNumber, dZ1, dZ2, bDeleted) VALUES (11, 1, 3, 'first.hdw', 1, 96, 96, 0), (12, 1, 3, 'first.hdw', 1, 96, 96, 0), (13, 1, 4, 'second.hdw', 1, 240, 240, 0), (14, 3, 22, 'second.hdw', 1, 130, 130, 0), (15, 3, 22, 'first.hdw', 1, 0, 0, -1)")
(host-sql "INSERT INTO tblValveSGroup (ixValveSGroup, sName) VALUES (1, 'Fixtures'), (2, 'Valves')")
(host-sql "INSERT INTO tblValveS (ixValveS, ixDwgValve, ixValveSGroup, sName, dFU, sScheduleNote1, sScheduleNote2, sScheduleNote3) VALUES (1, 0, 1, 'WC-1', 4, 'Water closet', '', ''), (2, 0, 1, 'LAV-1', 1, 'Lavatory', '', ''), (3, 0, 2, 'GV', 0, 'Gate valve', '', '')")
(host-sql "INSERT INTO tblValveL (ixValveL, ixValveS, ixLayerSystem, ixPipeType, dX, dY, dZ, bMirrored, dRotation, sDrawing, iAlignmentPointNumber, bDeleted) VALUES (21, 1, 1, 1, 10, 0, 0, 0, 0, 'first.hdw', 1, 0), (22, 1, 1, 1, 20, 0, 0, 0, 0, 'second.hdw', 1, 0), (23, 2, 1, 1, 30, 0, 0, 0, 0, 'first.hdw', 1, 0)")
(setq host-query plumb-projectExplorer_sqlQuery)
(defun plumb-projectExplorer_sqlQuery (sql sortColumn valueColumn / answer)
  (setq answer (host-query sql sortColumn valueColumn))
  (print (list sql sortColumn valueColumn answer))
  answer)
(print (ov_plumb-ProjectExplorer 0 1 ""))
(print (ov_plumb-ProjectExplorer 13 1 "start"))
; The host answers a point for the pipe types: its coordinates are the keys 1, 2, 3.
(defun plumb-projectExplorer_sqlQuery (sql sortColumn valueColumn)
  (if (= valueColumn "ixPipeType") (list 1 (list 1.7 2.2 3.9)) (host-query sql sortColumn valueColumn)))
(host-sql "UPDATE tblValveL SET bDeleted = -1")
(print (ov_plumb-ProjectExplorer 0 1 ""))
(print (ov_plumb-ProjectExplorer 0 1))
