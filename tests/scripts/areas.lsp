; ovhost: --ui $SCRIPT_DIR/areas.ui
; exit: 1
; setup: --new-project .
; The alignment-point area dialog. Area 1 (plan.dwg, point 1) on Level 1 is mapped to
; cold water and has a hot water pipe; Area 2 of the same floor (other.dwg) has waste;
; an erased area is named Old. Names are required and unique over every area, erased
; ones too; hot water stays ticked and waste stays with Area 2. Querying writes the
; name, the floor and the mappings; inserting writes nothing and answers the types
; ticked. With risers the floor cannot change; Cancel takes back what "Edit Floors"
; saved.
(ov_plumb-getLayer "LABEL" 1)
(host-sql "INSERT INTO tblFloor (ixFloor, ixFloorAbove, sName, dElevation, dCeilingHeight, dFloorToFloorHeight) VALUES (2, NULL, 'Level 2', 144, 0, 0)")
(host-sql "UPDATE tblFloor SET ixFloorAbove = 2 WHERE ixFloor = 1")
(host-sql "UPDATE tblAlignmentPointArea SET sDrawing = 'plan.dwg', iAlignmentPointNumber = 1 WHERE ixAlignmentPointArea = 1")
(host-sql "INSERT INTO tblAlignmentPointArea (ixAlignmentPointArea, ixFloor, sName, sDrawing, iAlignmentPointNumber, bDeleted) VALUES (2, 1, 'Area 2', 'other.dwg', 1, 0), (3, 2, 'Old', 'old.dwg', 1, -1)")
(host-sql "DELETE FROM tblPipeAreaMap")
(host-sql "INSERT INTO tblPipeAreaMap (ixAlignmentPointArea, ixPipeType) VALUES (1, 1), (2, 3)")
(host-sql "INSERT INTO tblPipe (ixPipeType, sDrawing, iAlignmentPointNumber, dX1, dY1, dX2, dY2) VALUES (2, 'plan.dwg', 1, 0, 0, 10, 0)")
(defun area () (host-sql "SELECT a.sName, f.sName FROM tblAlignmentPointArea a, tblFloor f WHERE a.ixFloor = f.ixFloor AND a.ixAlignmentPointArea = 1"))
(defun maps () (host-sql "SELECT ixAlignmentPointArea, ixPipeType FROM tblPipeAreaMap ORDER BY ixAlignmentPointArea, ixPipeType"))
(print (ov_plumb-alignmentPoint-Query 1))
(print (list (area) (maps)))
(setq before (list (maps) (host-sql "SELECT count(*) FROM tblAlignmentPointArea")))
(print (ov_plumb-alignmentPoint-Query -1))
(print (equal before (list (maps) (host-sql "SELECT count(*) FROM tblAlignmentPointArea"))))
; A riser in the area; then "Edit Floors" saves a rename that Cancel takes back, while
; the floors dialog's own change stays.
(host-sql "INSERT INTO tblPipe (ixPipeType, sDrawing, iAlignmentPointNumber, dX1, dY1, dZ1, dX2, dY2, dZ2) VALUES (1, 'plan.dwg', 1, 5, 5, 0, 5, 5, 100)")
(print (ov_plumb-alignmentPoint-Query 1))
(print (area))
(print (ov_plumb-alignmentPoint-Query))
