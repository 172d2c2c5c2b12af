; ovhost: $SCRIPT_DIR/../../examples/restroom/restroom.lsp $SCRIPT_DIR/../../examples/restroom/size_restroom.lsp
; setup: --new-project .
; The restroom as make demo sizes it: the schedule, and the labels the drawing shows
; for the mains afterwards; every pipe but the three whose sizes the example locks
; (the building drain and the closets' branches) has its size's diameter in dSize.
(setq file (open "restroom-schedule.csv" "r"))
(while (setq line (read-line file)) (princ (strcat "\n" line)))
(close file)
(foreach ix '(2 10 16 33)
  (print (list ix (cdr (assoc 1 (entget (ov-host-pipe-entity ix)))))))
(print (host-sql "SELECT count(*) FROM tblPipe p JOIN tblPipeSize s ON s.ixPipeSize = p.ixPipeSize AND s.dExteriorDiameter = p.dSize"))
