; ovhost: --ui $SCRIPT_DIR/host_program.ui
; exit: 1
; setup: --new-project .
; The application program's functions on a new project, as the module calls them: what
; they write is read back from the project file with host-sql.
;; The module opens the drawing's project on its first call that needs it.
(ov_plumb-getLayer "LABEL" 1)
; A sizing table's label group is made, made again without doubling, and deleted with
; the table and its values; a name is data, quotes and all.
(setq ptype (car (car (host-sql "SELECT ixPipeType FROM tblPipeType ORDER BY iSortOrder"))))
(host-sql "INSERT INTO tblPipeSizingTable (ixPipeType, iSortOrder, sName, bActive, bHorizontalOnly) VALUES (?, 99, 'Tmp', -1, 0)" ptype)
(setq table (car (car (host-sql "SELECT max(ixPipeSizingTable) FROM tblPipeSizingTable"))))
(host-sql "INSERT INTO tblPipeSizingValue (ixPipeSizingTable, ixPipeSize, dFlow, dFlowVertical, bEnable) VALUES (?, 1, 2.0, 3.0, -1)" table)
(pipeSizingTable-createLabelGroup table "Bob's \"Main\"")
(pipeSizingTable-createLabelGroup table "Bob's \"Main\"")
(print (host-sql "SELECT sKey, sLabel FROM tblLabelGroup WHERE sGroup = ? ORDER BY sKey" (strcat "Pipe Sizing Table:" (itoa table))))
(pipeSizingTable-deleteRecord table)
(print (host-sql "SELECT (SELECT count(*) FROM tblPipeSizingTable WHERE ixPipeSizingTable = ?1), (SELECT count(*) FROM tblPipeSizingValue WHERE ixPipeSizingTable = ?1), (SELECT count(*) FROM tblLabelGroup WHERE sGroup = ?2)" table (strcat "Pipe Sizing Table:" (itoa table))))
; The types a pipe can take are those with sizes: a type without any is left out.
(host-sql "INSERT INTO tblPipeType (sName, sShortName, iSortOrder, bReversed, iElbow, iTee, bFittingTicks, iLabelLocation, bHidePipe) VALUES ('Empty', 'E', 0, 0, 0, 0, 0, 0, 0)")
(print (= (pipe-query-getNumber) (length (cdr (car (pipe-usableTypes-withPipe-arx 1 nil 3))))))
(print (member "Empty" (cadr (pipe-usableTypes-withPipe-arx 1 3 nil))))
(print (car (car (pipe-usableTypes-withPipe-arx 1 3 nil))))
; Deleting a type removes it and what refers to it everywhere.
(pipe-insertFixtureConnection-resetGlobal)
(plumb-deletePipeType ptype)
(print (host-sql "SELECT (SELECT count(*) FROM tblPipeSize WHERE ixPipeType = ?1), (SELECT count(*) FROM tblPipeSizingTable WHERE ixPipeType = ?1), (SELECT count(*) FROM tblPipeSumCategory WHERE ixPipeType = ?1), (SELECT count(*) FROM tblPipeLabel WHERE ixPipeType = ?1), (SELECT count(*) FROM tblPipeType WHERE ixPipeType = ?1)" ptype))
; A deleted valve symbol's replacement is asked with "None" first; cancelled, nil.
(host-sql "INSERT INTO tblDwgValve (iSortOrder, sDescription, sBlockName, bToScale) VALUES (1, 'Ball Valve', 'BALL', 0), (2, 'Gate Valve', 'GATE', 0), (3, 'Check Valve', 'CHECK', 0)")
(setq ball (car (car (host-sql "SELECT ixDwgValve FROM tblDwgValve WHERE sBlockName = 'BALL'"))))
(setq gate (car (car (host-sql "SELECT ixDwgValve FROM tblDwgValve WHERE sBlockName = 'GATE'"))))
(print (equal (util-deleteBlocks ball "Valve" "plumb" nil) (list ball gate)))
(print (util-deleteBlocks gate "Valve" "plumb" (list (list ball gate))))
; The fixture connection's settings come back in the dialog's order, boxes as -1.
(pipe-insertFixtureConnection-putGlobal 3 4 5 6 48 1 0 2)
(print (pipe-insertFixtureConnection-getGlobal))
(pipe-insertFixtureConnection-setGlobal-addPSC '((10 . 1.5) (11 . 4)))
(print (list (pipe-insertFixtureConnection-getdValue 11) (pipe-insertFixtureConnection-getdValue 99)))
(pipe-insertFixtureConnection-resetGlobal)
(print (list (pipe-insertFixtureConnection-getGlobal) (pipe-insertFixtureConnection-getdValue 11)))
; The floor grid comes back once, marked T, as saved; deferred work runs once, in order.
(plumb-floor-saveGrid '(("1" "Level 1" "0-0") ("2" "Level 2" "10-0")))
(print (plumb-floor-getGrid))
(print (plumb-floor-getGrid))
(setq log nil ov_plumb-toDoList '((setq log (cons 1 log)) (setq log (cons 2 log))))
(c:ov_plumb-doToDo)
(c:ov_plumb-doToDo)
(print log)
;; A pipe's flows in its type's base category: the base as it is, a multiplier
;; category times its multiplier, a lookup category through its table (between rows,
;; below the first, beyond the last) times its additional multiplier. A pipe not sized
;; yet counts its fixed values; once it has calculated ones, only those (they hold its
;; own fixtures too).
(defun pipe (ptype) (host-sql "INSERT INTO tblPipe (ixPipeType) VALUES (?)" ptype) (car (car (host-sql "SELECT max(ixPipe) FROM tblPipe"))))
(defun sums (ix pairs) (foreach p pairs (host-sql "INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) VALUES (?, ?, ?, ?)" ix (car p) (cadr p) (caddr p))))
(setq waste (pipe 3))
(sums waste '((5 -1 2.0) (6 -1 1.0)))
(print (pipeSumCategory-convertFlow waste))
(sums waste '((5 0 3.0)))
(print (pipeSumCategory-convertFlow waste))
(host-sql "DELETE FROM tblPipeFlowLookup WHERE ixPipeSumCategory = 4 AND iFixtures = -1")
(host-sql "INSERT INTO tblPipeFlowLookup (ixPipeSumCategory, iFixtures, dFlow) VALUES (4, -1, 2.0)")
(foreach fixtures '(7 0.5 6000)
  (setq hot (pipe 2))
  (sums hot (list (list 4 0 fixtures)))
  (print (pipeSumCategory-convertFlow hot)))
(print (pipeSumCategory-convertFlow 9999))
; Floor groups follow ixFloorAbove from the bottom floor up; a floor with anything
; placed in its areas cannot be deleted; a riser in an area is found by floor and area.
(host-sql "INSERT INTO tblFloor (sName, dElevation) VALUES ('Level 2', 120.0), ('Mezzanine', 60.0)")
(host-sql "UPDATE tblFloor SET ixFloorAbove = (SELECT ixFloor FROM tblFloor WHERE sName = 'Level 2') WHERE sName = 'Level 1'")
(print (plumb-floor-getFloorGroups-order T))
(print (plumb-floor-getFloorGroups-order nil))
(host-sql "INSERT INTO tblAlignmentPointArea (ixFloor, sName, sDrawing, iAlignmentPointNumber) VALUES (1, 'East', 'plan.hdw', 1)")
(setq east (car (car (host-sql "SELECT ixAlignmentPointArea FROM tblAlignmentPointArea WHERE sName = 'East'"))))
(print (list (plumb-floor-isOkToDelete 1) (plumb-floor-checkForRisers 1) (plumb-area-hasRisers east)))
(host-sql "INSERT INTO tblPipe (ixPipeType, sDrawing, iAlignmentPointNumber, dX1, dY1, dZ1, dX2, dY2, dZ2) VALUES (1, 'plan.hdw', 1, 5.0, 5.0, 0.0, 5.0, 9.0, 0.0)")
(print (list (plumb-floor-isOkToDelete 1) (plumb-floor-checkForRisers 1) (plumb-area-hasRisers east)))
(host-sql "INSERT INTO tblPipe (ixPipeType, sDrawing, iAlignmentPointNumber, dX1, dY1, dZ1, dX2, dY2, dZ2) VALUES (1, 'plan.hdw', 1, 5.0, 5.0, 0.0, 5.0, 5.0, 96.0)")
(print (list (plumb-floor-checkForRisers 1) (plumb-area-hasRisers east) (plumb-floor-checkForRisers 2)))
;; A new type copies its mimic's set-up; its sizing values and lookup rows point at
;; its own sizes, tables and categories, never at the mimic's.
(host-sql "INSERT INTO tblPipeType (sName, sShortName, iSortOrder, bReversed, iElbow, iTee, bFittingTicks, iLabelLocation, bHidePipe) VALUES ('Copy', 'C', 9, 0, 0, 0, 0, 0, 0)")
(setq copy (car (car (host-sql "SELECT ixPipeType FROM tblPipeType WHERE sName = 'Copy'"))))
(plumb-newPipeType copy 2)
(defun counts (ix) (car (host-sql "SELECT (SELECT count(*) FROM tblPipeSize WHERE ixPipeType = ?1), (SELECT count(*) FROM tblPipeSizingTable WHERE ixPipeType = ?1), (SELECT count(*) FROM tblPipeSizingValue v, tblPipeSizingTable t WHERE v.ixPipeSizingTable = t.ixPipeSizingTable AND t.ixPipeType = ?1), (SELECT count(*) FROM tblPipeSumCategory WHERE ixPipeType = ?1), (SELECT count(*) FROM tblPipeFlowLookup l, tblPipeSumCategory c WHERE l.ixPipeSumCategory = c.ixPipeSumCategory AND c.ixPipeType = ?1), (SELECT count(*) FROM tblPipeLabel WHERE ixPipeType = ?1), (SELECT count(*) FROM tblPipeLinetype WHERE ixPipeType = ?1)" ix)))
(print (equal (counts copy) (counts 2)))
(print (counts copy))
(print (host-sql "SELECT count(*) FROM tblPipeSizingValue v, tblPipeSizingTable t, tblPipeSize s WHERE v.ixPipeSizingTable = t.ixPipeSizingTable AND t.ixPipeType = ?1 AND v.ixPipeSize = s.ixPipeSize AND s.ixPipeType <> ?1" copy))
(print (host-sql "SELECT s.sLabel, v.dFlow FROM tblPipeSizingValue v, tblPipeSizingTable t, tblPipeSize s WHERE v.ixPipeSizingTable = t.ixPipeSizingTable AND t.ixPipeType = ? AND v.ixPipeSize = s.ixPipeSize ORDER BY t.iSortOrder, s.dInteriorDiameter LIMIT 2" copy))
; The query dialog's distances as feet and inches; a pipe that continues a riser keeps
; its starting elevation.
(print (plumb-pipeSum-StaticValues 66.0 10.0 6.25))
(print (plumb-pipeSum-StaticValues -66.0 0 0))
(host-sql "INSERT INTO tblPipe (ixPipeType, ixPipeRiserPrevious) VALUES (1, 1)")
(print (list (pipe-query-elevationTileCheck (car (car (host-sql "SELECT max(ixPipe) FROM tblPipe")))) (pipe-query-elevationTileCheck 1)))
; SQL mistakes are errors that say what SQLite said; nothing runs twice.
(host-sql "SELECT sName FROM tblNowhere")
(host-sql "SELECT ?" 1 2)
(host-sql "DELETE FROM tblFloor; DELETE FROM tblPipe")
(print (host-sql "SELECT count(*) FROM tblFloor"))
; A CSV line quotes a field with a comma or a quote (its quotes doubled) and leaves an
; empty one for nil; the host's clock counts up in whole milliseconds.
(print (host-csv-line '(1 "a,b" "3/4\"" 2.5 nil "plain")))
(setq t0 (getvar "MILLISECS"))
(print (list (= (type t0) 'INT) (>= (getvar "MILLISECS") t0)))
