; ovhost: --ui $SCRIPT_DIR/pipe_query.ui
; exit: 1
; setup: --new-project .
; The query dialog of a pipe. Pipe 7 is cold water, 1" (not locked), sizing table 1,
; 10-0 to 10-6.5, top of pipe, an unknown horizontal code, layer system 2, 10 fixture
; units of its own and 12 calculated (its own and those of the pipes it serves). Its
; first calculated row shows the 12 converted through the seeded lookup: 16 gpm.
(ov_plumb-getLayer "LABEL" 1)
(host-sql "INSERT INTO tblPipe (ixPipe, ixPipeType, ixPipeSize, ixPipeSizingTable, dZ1, dZ2, sOffsetZ, sOffsetY, dDistanceToFarthestFixture, dMaxFixtureZ, ixLayerSystem, dHangerSpacing) VALUES (7, 1, 3, 1, 120, 126.5, 't', 'x', 250.5, 96, 2, 48)")
(host-sql "INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) VALUES (7, 2, -1, 10), (7, 2, 0, 12)")
(defun sums () (host-sql "SELECT ixPipeSumCategory, bFixed, dValue FROM tblPipeSum WHERE ixPipe = 7 ORDER BY ixPipeSumCategory, bFixed"))
; Shown, then OK without a change: the settings as they are, in their order and types.
(print (ov_plumb-pipeSum 7 nil))
; Cancel after changes: nil, nothing written.
(print (ov_plumb-pipeSum 7 T))
(print (sums))
; The fixed fixture units cleared, a fixed flow typed, the calculated row refused; a
; locked size, no sizing table, insulation, P-trap, alignments; a wrap hanger refused
; for its depth, then its spacing of 6, then taken at 6.5.
(print (ov_plumb-pipeSum 7 nil))
(print (sums))
; Another pipe type: every sum of the pipe goes first; the fixed values move to the new
; type's categories in their order; "Sized Automatically" is the new type's smallest.
(print (ov_plumb-pipeSum 7 nil))
(print (sums))
; A pipe that continues a riser keeps its starting elevation; the categories edited
; from the query dialog show at once.
(host-sql "UPDATE tblPipe SET ixPipeRiserPrevious = 3 WHERE ixPipe = 7")
(ov_plumb-pipeSum 7 nil)
; A type without sizes is passed over for the next listed one that has sizes; when no
; listed type has any, the user is told to make sizes first.
(host-sql "INSERT INTO tblPipeType (ixPipeType, sName, iSortOrder) VALUES (7, 'Unsized', 7), (8, 'Unsized Too', 8)")
(defun pipe-usableTypes-withPipe-arx (ix a b) (list (list "startlist" 2 7 4) (list "Domestic Hot Water" "Unsized" "Vent")))
(ov_plumb-pipeSum 7 nil)
(defun pipe-usableTypes-withPipe-arx (ix a b) (list (list "startlist" 7 8) (list "Unsized" "Unsized Too")))
(ov_plumb-pipeSum 7 nil)
; The arguments: a pipe that is not there shows nothing; the key and the flag are needed.
(print (ov_plumb-pipeSum 99 nil))
(print (ov_plumb-pipeSum 7))
(print (ov_plumb-pipeSum))
