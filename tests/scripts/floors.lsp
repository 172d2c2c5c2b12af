; ovhost: --ui $SCRIPT_DIR/floors.ui
; setup: --new-project .
; The floors dialog. Group one: Level 3 (24-0) over Level 2 (12-0) over Level 1 (0);
; group two: Mezzanine (5-0). Equal elevations in a group are refused naming both
; floors; a floor lowered past two floors moves two places down while no risers join
; them, and comes back otherwise; names are unique without regard to case; OK lifts a
; floor not above the one below it by an inch, moves names out of each other's way and
; writes each floor's floor above, top down. Picking an elevation closes the dialog and
; opens it again with the elevation in place.
(ov_plumb-getLayer "LABEL" 1)
(host-sql "INSERT INTO tblFloor (ixFloor, ixFloorAbove, sName, dElevation, dCeilingHeight, dFloorToFloorHeight) VALUES (2, 3, 'Level 2', 144, 0, 0), (3, NULL, 'Level 3', 288, 0, 0), (4, NULL, 'Mezzanine', 60, 0, 0)")
(host-sql "UPDATE tblFloor SET ixFloorAbove = 2 WHERE ixFloor = 1")
(defun floors () (host-sql "SELECT ixFloor, sName, dElevation, ixFloorAbove FROM tblFloor ORDER BY ixFloor"))
(defun height () (host-sql "SELECT dNumber FROM tblGlobal WHERE sKey = 'DEFAULT FLOOR HEIGHT'"))
(print (ov_plumb-editFloorDefinition))
(foreach row (floors) (print row))
(print (height))
; Level 2 over Level 1 at 100 and 100: the upper one is stored an inch higher. Level 1
; and New Floor 1 swap names through a third.
(host-sql "UPDATE tblFloor SET dElevation = 100 WHERE sName IN ('Level 1', 'Level 2')")
(print (ov_plumb-editFloorDefinition 1))
(foreach row (floors) (print row))
; A riser in an area of floor 1 (now New Floor 1): the floors of its group keep their
; order. The height 126.5 shows as 126. Cancel stores nothing.
(host-sql "UPDATE tblGlobal SET dNumber = 126.5 WHERE sKey = 'DEFAULT FLOOR HEIGHT'")
(host-sql "INSERT INTO tblAlignmentPointArea (ixFloor, sName, sDrawing, iAlignmentPointNumber, bDeleted) VALUES (1, 'Core', 'plan.dwg', 7, 0)")
(host-sql "INSERT INTO tblPipe (ixPipeType, sDrawing, iAlignmentPointNumber, dX1, dY1, dZ1, dX2, dY2, dZ2) VALUES (1, 'plan.dwg', 7, 10, 10, 0, 10, 10, 120)")
(setq before (floors))
(print (ov_plumb-editFloorDefinition))
(print (equal before (floors)))
; Picking an elevation: the dialog comes back with it, checked like a typed one.
(print (ov_plumb-editFloorDefinition 3))
(foreach row (floors) (print row))
