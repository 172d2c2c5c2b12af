; setup: --new-project .
; A drainage stack by pencil. The building drain (pipe 1) runs level from the outlet
; at x = 0, the system's source, to the foot of the stack at x = 120; the stack (pipe
; 2) rises from there 240". A branch of 5 DFU joins the stack's run 120" up (a tee on
; a riser), one of 4 DFU its top, drawn toward the stack; the floor above is drawn
; beside the plan, and its 2 DFU branch (pipe 5) continues the stack (its riser is
; pipe 2), wherever it lies.
;
; "Drainage Fixture Units" carries, horizontally and in a stack: 1-1/2" 3 and 8, 2" 6
; and 24, 3" 20 and 72. Branches: 5 and 4 DFU horizontally, 2"; 2 DFU, 1-1/2". The
; stack carries 5 + 4 + 2 = 11 DFU upright, 2"; the drain the same 11 level, 3".
; Drainage flows away from the fixtures: toward the outlet.
(ov_plumb-getLayer "LABEL" 1)
(defun pipe (ix p1 p2)
  (host-sql "INSERT INTO tblPipe (ixPipe, ixPipeType, ixLayerSystem, sDrawing, iAlignmentPointNumber) VALUES (?, 3, 1, 'Drawing1.hdw', 1)" ix)
  (ov_plumb-insertPipe ix p1 p2))
(defun fixture (ix v)
  (host-sql "INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) VALUES (?, 5, -1, ?)" ix v))
(pipe 1 '(0 0 0) '(120 0 0))
(pipe 2 '(120 0 0) '(120 0 240))
(pipe 3 '(120 0 120) '(200 0 120))
(pipe 4 '(200 0 240) '(120 0 240))
(pipe 5 '(500 0 0) '(580 0 0))
(host-sql "UPDATE tblPipe SET ixPipeRiserPrevious = 2 WHERE ixPipe = 5")
(fixture 3 5)
(fixture 4 4)
(fixture 5 2)
(plumb-setSource 1 T)
(plumb-sizeDrawing)
(foreach r (host-sql "SELECT p.ixPipe, s.sLabel, p.dDistanceFromSource, p.dDistanceToFarthestFixture, p.dMaxFixtureZ, c.dValue FROM tblPipe p LEFT JOIN tblPipeSize s ON s.ixPipeSize = p.ixPipeSize LEFT JOIN tblPipeSum c ON c.ixPipe = p.ixPipe AND c.bFixed = 0 ORDER BY p.ixPipe")
  (print r))
; The same stack sized by a table that has only horizontal flows: 11 DFU level is 3".
(host-sql "UPDATE tblPipeSizingTable SET bHorizontalOnly = -1 WHERE ixPipeType = 3")
(plumb-sizeDrawing)
(print (host-sql "SELECT s.sLabel FROM tblPipe p JOIN tblPipeSize s ON s.ixPipeSize = p.ixPipeSize WHERE p.ixPipe = 2"))
