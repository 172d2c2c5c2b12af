; setup: --new-project .
; Sizing a cold-water branch by pencil. The main runs east from the source at x = 0
; (pipe 1 to x = 120, pipe 2 on to x = 240); three lavatories (1 WSFU each) branch
; off at x = 40 (a tee on pipe 1's run), 120 (where the two main pipes meet) and 200
; (a tee on pipe 2); a water closet (3 WSFU) at the end drops 10" on its way.
;
; Fixture units become gpm through the seeded flush-tank lookup (1 -> 3.0, 3 -> 6.5,
; 4 -> 8.0, 6 -> 10.7) and sizes come from "Cold Water 8 FPS" (1/2" 5.8, 3/4" 12.1,
; 1" 20.6 gpm): each lavatory branch 3 gpm, 1/2"; the closet's 6.5 gpm, 3/4" (its
; row names a table that is gone); pipe 2 carries 1 + 3 = 4 WSFU, 8 gpm, and names
; "Cold Water 5 FPS" (3/4" 7.5, 1" 12.9): 1"; pipe 1 all 6 WSFU, 10.7 gpm, 3/4". The farthest
; fixture is the closet's outlet: 240 + 26 (its branch is 24 across and 10 down) =
; 266 from the source.
(ov_plumb-getLayer "LABEL" 1)
(defun pipe (ix p1 p2)
  (host-sql "INSERT INTO tblPipe (ixPipe, ixPipeType, ixLayerSystem, sDrawing, iAlignmentPointNumber) VALUES (?, 1, 1, 'Drawing1.hdw', 1)" ix)
  (ov_plumb-insertPipe ix p1 p2))
(defun fixture (ix category v)
  (host-sql "INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) VALUES (?, ?, -1, ?)" ix category v))
(defun show ()
  (foreach r (host-sql "SELECT p.ixPipe, s.sLabel, p.dSize, p.dDistanceFromSource, p.dDistanceToFarthestFixture, p.dMaxFixtureZ FROM tblPipe p LEFT JOIN tblPipeSize s ON s.ixPipeSize = p.ixPipeSize ORDER BY p.ixPipe")
    (print r))
  (print (host-sql "SELECT ixPipe, ixPipeSumCategory, dValue FROM tblPipeSum WHERE bFixed = 0 ORDER BY ixPipe, ixPipeSumCategory")))
(setq main (pipe 1 '(0 0 100) '(120 0 100)))
(pipe 2 '(120 0 100) '(240 0 100))
(pipe 3 '(40 0 100) '(40 24 100))
(pipe 4 '(120 0 100) '(120 24 100))
(pipe 5 '(200 0 100) '(200 24 100))
(setq closet (pipe 6 '(240 0 100) '(240 24 90)))
(foreach ix '(3 4 5) (fixture ix 2 1))
(fixture 6 2 3)
(host-sql "UPDATE tblPipe SET ixPipeSizingTable = 2 WHERE ixPipe = 2")
(host-sql "UPDATE tblPipe SET ixPipeSizingTable = 99 WHERE ixPipe = 6")
(plumb-setSource 1 T)
(host-sql "UPDATE tblPipeLabel SET sLabelFormat = '$SIZE CW $TOTALFLOW ($FLOW) $SECTIONLENGTH of $TOTALLENGTH, $MAXZ' WHERE ixPipeType = 1")
(setq schedule (plumb-sizeDrawing))
(show)
; The labels in the drawing, the query dialog's converted flow, and the schedule.
(print (list (cdr (assoc 1 (entget main))) (cdr (assoc 1 (entget closet)))))
(print (pipeSumCategory-convertFlow 1))
(setq file (open schedule "r"))
(while (setq line (read-line file)) (princ (strcat "\n" line)))
(close file)
;; A locked size stays, though pipe 2 now needs 3/4"; a lookup row asking for 1" from
;; 5 fixture units up makes pipe 1 (6 WSFU) 1" although 3/4" carries its 10.7 gpm;
;; pipe 2 (4 WSFU) is not held to it. A lavatory taken away: its branch's calculated
;; row goes (0 deletes it).
(host-sql "UPDATE tblPipe SET bSizeLocked = -1, ixPipeSize = 1, dSize = 0.625 WHERE ixPipe = 2")
(host-sql "UPDATE tblPipeFlowLookup SET ixPipeSizeMin = 3 WHERE ixPipeSumCategory = 2 AND iFixtures = 5")
(host-sql "DELETE FROM tblPipeSum WHERE ixPipe = 3")
(plumb-sizeDrawing)
(show)
;; A flow no size carries: 700 gpm more at the lavatory of pipe 5 is past the 6"
;; (669.1 gpm); the branch and the main keep 6" and are reported; the locked pipe 2
;; stays 1/2".
(fixture 5 1 700)
(plumb-sizeDrawing)
(show)
