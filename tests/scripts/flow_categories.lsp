; ovhost: --ui $SCRIPT_DIR/flow_categories.ui
; setup: --new-project .
; The flow-category editor and the conversion editors it opens. The first category of
; each type is the base: its conversion cannot change. Names are unique in a type (a
; swap goes through a third name and is stored without a collision); the only category
; of a type stays; a category whose flows are in use is deleted only after Yes, with
; its lookup rows and sums, on OK. A multiplier is stored as soon as its editor closes
; with OK, even when the categories are cancelled; a lookup table is stored on its OK.
(ov_plumb-getLayer "LABEL" 1)
(host-sql "INSERT INTO tblPipe (ixPipe, ixPipeType) VALUES (1, 2)")
(host-sql "INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) VALUES (1, 4, -1, 12), (1, 4, 0, 3)")
(defun categories ()
  (host-sql "SELECT ixPipeSumCategory, ixPipeType, iOrder, sName, sLabelPrefix, sLabelSuffix, iConversionType, dMultiplier FROM tblPipeSumCategory ORDER BY ixPipeType, iOrder"))
(defun lookup (category)
  (host-sql "SELECT l.iFixtures, l.dFlow, coalesce(s.sLabel, l.ixPipeSizeMin) FROM tblPipeFlowLookup l LEFT JOIN tblPipeSize s ON s.ixPipeSize = l.ixPipeSizeMin WHERE l.ixPipeSumCategory = ? ORDER BY l.ixPipeFlowLookup" category))
(print (ov_plumb-pipeSumCategory))
(foreach row (categories) (print row))
(print (list (host-sql "SELECT count(*) FROM tblPipeFlowLookup WHERE ixPipeSumCategory = 4")
             (host-sql "SELECT count(*) FROM tblPipeSum WHERE ixPipeSumCategory = 4")))
(foreach row (lookup 9) (print row))
; Cancelled after a multiplier and a lookup were edited: the multiplier is stored, the
; lookup table and the grid's changes are not.
(ov_plumb-pipeSumCategory)
(print (host-sql "SELECT sName, dMultiplier FROM tblPipeSumCategory WHERE ixPipeSumCategory IN (5, 1) ORDER BY ixPipeSumCategory"))
(foreach row (lookup 9) (print row))
