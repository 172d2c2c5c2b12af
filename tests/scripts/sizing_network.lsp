; setup: --new-project .
; Systems that cannot be sized are named with their pipes and left as they were; the
; others in the same drawing are sized.
(ov_plumb-getLayer "LABEL" 1)
; A drawing without pipes: said so, no schedule.
(print (plumb-sizeDrawing))
(defun pipe (ix type p1 p2)
  (host-sql "INSERT INTO tblPipe (ixPipe, ixPipeType, ixLayerSystem, sDrawing, iAlignmentPointNumber) VALUES (?, ?, 1, 'Drawing1.hdw', 1)" ix type)
  (ov_plumb-insertPipe ix p1 p2))
(defun fixture (ix category)
  (host-sql "INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) VALUES (?, ?, -1, 2)" ix category))
; Cold water: a square loop (10 to 13) fed by pipe 14 from the source; a stale
; calculated value on pipe 10 shows that nothing of the system is written.
(pipe 14 1 '(-50 0 0) '(0 0 0))
(pipe 10 1 '(0 0 0) '(100 0 0))
(pipe 11 1 '(100 0 0) '(100 100 0))
(pipe 12 1 '(100 100 0) '(0 100 0))
(pipe 13 1 '(0 100 0) '(0 0 0))
(fixture 12 2)
(plumb-setSource 14 T)
(host-sql "INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) VALUES (10, 2, 0, 99)")
; Hot water with two sources; storm with none; a vent marked at a pipe whose ends both
; join others; a gas pipe joined to nothing and one with no length; the same hot
; water pipes at another elevation are another system, sized.
(pipe 20 2 '(0 500 0) '(50 500 0))
(pipe 21 2 '(50 500 0) '(100 500 0))
(plumb-setSource 20 T)
(plumb-setSource 21 T)
(pipe 22 2 '(0 500 12) '(50 500 12))
(pipe 23 2 '(50 500 12) '(100 500 12))
(fixture 23 4)
(plumb-setSource 22 T)
(pipe 40 5 '(0 700 0) '(50 700 0))
(pipe 41 5 '(50 700 0) '(50 750 0))
; Ends meet within a tenth: 42 starts 0.09 from 41's end and joins it; 43 starts 0.2
; from 42's end and is a system of its own.
(pipe 42 5 '(50.09 750 0) '(100 750 0))
(pipe 43 5 '(100.2 750 0) '(150 750 0))
(pipe 51 4 '(0 800 0) '(50 800 0))
(pipe 50 4 '(50 800 0) '(100 800 0))
(pipe 52 4 '(100 800 0) '(150 800 0))
(plumb-setSource 50 T)
(pipe 30 6 '(0 900 0) '(50 900 0))
(pipe 31 6 '(0 950 0) '(0.05 950 0))
; A marked pipe joined to nothing is a system of its own: a supply pipe is fed at its
; start, so its fixture is at its end (elevation 0); a drain empties at its end, so
; its fixture is at its start (elevation 10).
(pipe 80 1 '(0 1200 10) '(50 1200 0))
(pipe 81 3 '(0 1300 10) '(50 1300 0))
(fixture 80 2)
(fixture 81 5)
(plumb-setSource 80 T)
(plumb-setSource 81 T)
; A pipe drawn without a row in the project, and a pipe drawn twice.
(ov_plumb-insertPipe 60 '(0 1000 0) '(50 1000 0))
(ov_plumb-insertPipe 23 '(0 1100 0) '(50 1100 0))
(print (plumb-sizeDrawing))
(print (host-sql "SELECT ixPipe, ixPipeSumCategory, dValue FROM tblPipeSum WHERE bFixed = 0 ORDER BY ixPipe"))
(print (host-sql "SELECT ixPipe FROM tblPipe WHERE ixPipeSize <> 0 ORDER BY ixPipe"))
(print (host-sql "SELECT ixPipe, dMaxFixtureZ, dDistanceToFarthestFixture FROM tblPipe WHERE ixPipe >= 80 ORDER BY ixPipe"))
; The loop opened (pipe 13 taken out of the drawing) and the mark moved: now sized.
(entdel (ov-host-pipe-entity 13))
(plumb-setSource 21 nil)
(plumb-sizeDrawing)
(print (host-sql "SELECT ixPipe, dValue FROM tblPipeSum WHERE bFixed = 0 AND ixPipe < 30 ORDER BY ixPipe"))
; The function and the command take no arguments.
; exit: 1
(plumb-sizeDrawing 1)
(c:plumb-size)
