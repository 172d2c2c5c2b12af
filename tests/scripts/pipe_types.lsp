; ovhost: --ui $SCRIPT_DIR/pipe_types.ui
; setup: --new-project .
; The pipe-type editor. Sanitary waste is named Waste; a pipe is storm, a valve gas.
; New asks the host which type to copy (cancelled: nothing changes) and names copies
; "(Copy n)"; names are unique; types in use and the last type stay. OK has the host
; remove deleted types before any row is stored, then stores every row in grid order
; and has the host set up each new type from its mimic. Cancel stores nothing.
(ov_plumb-getLayer "LABEL" 1)
(host-sql "UPDATE tblPipeType SET sName = 'Waste' WHERE ixPipeType = 3")
(host-sql "INSERT INTO tblPipe (ixPipeType) VALUES (5)")
(host-sql "INSERT INTO tblValveL (ixPipeType) VALUES (6)")
(setq host-delete plumb-deletePipeType host-new plumb-newPipeType)
(defun plumb-deletePipeType (ix)
  (print (list "delete" ix "copies stored:" (host-sql "SELECT count(*) FROM tblPipeType WHERE sName LIKE '%(Copy%'")))
  (host-delete ix))
(defun plumb-newPipeType (ixNew ixMimic)
  (print (list "new" ixNew "from" ixMimic))
  (host-new ixNew ixMimic))
(defun types ()
  (host-sql "SELECT ixPipeType, iSortOrder, sName, sShortName, bReversed, iElbow, iTee, bFittingTicks, iLabelLocation, bHidePipe FROM tblPipeType ORDER BY iSortOrder"))
(print (ov_plumb-pipeType))
(foreach row (types) (print row))
; The copies have Waste's sizes; Vent's sizes went with it.
(print (host-sql "SELECT ixPipeType, count(*) FROM tblPipeSize GROUP BY ixPipeType ORDER BY ixPipeType"))
(setq before (types))
(ov_plumb-pipeType)
(print (equal before (types)))
(host-sql "DELETE FROM tblPipeType WHERE ixPipeType <> 1")
(ov_plumb-pipeType)
