; ovhost: $SCRIPT_DIR/../../examples/routines/pipe_lengths.lsp
; setup: --new-project .
; The example routine examples/routines/pipe_lengths.lsp, loaded as ovhost's first
; script, on a drawing made here: pipes and lines on PLUMB-CW and elsewhere, and a
; flow arrow on PLUMB-CW, which its selection takes in and which it skips. What it
; prints and the CSV it writes are shown; a layer with nothing on it answers nil.

(defun on-layer (ename layer / data)
  (setq data (entget ename))
  (entmod (subst (cons 8 layer) (assoc 8 data) data))
  ename)

(entmake '((0 . "LINE") (8 . "PLUMB-CW") (10 0 0 0) (11 30 40 0)))
(entmake '((0 . "LINE") (8 . "PLUMB-HW") (10 0 0 0) (11 500 0 0)))
(entmake '((0 . "LINE") (8 . "plumb-cw") (10 0 0 0) (11 17.5 0 0)))
(on-layer (ov_plumb-insertPipe 36 '(0.0 140.0 100.0) '(120.0 140.0 100.0)) "PLUMB-CW")
(on-layer (ov_plumb-insertPipe 36 '(120.0 140.0 100.0) '(120.0 140.0 20.0)) "PLUMB-CW")
(on-layer (ov_plumb-insertPipeArrow '(0 140 100) '(60 140 100) 0 0 nil) "PLUMB-CW")
(ov_plumb-insertPipe 36 '(0.0 0.0 0.0) '(1000.0 0.0 0.0))

(princ "rows: ")
(prin1 (pipe-lengths "PLUMB-CW" "lengths.csv"))
(terpri)
(setq csv (open "lengths.csv" "r"))
(while (setq line (read-line csv)) (princ line) (terpri))
(close csv)

(princ "empty layer: ")
(prin1 (pipe-lengths "NO-SUCH-LAYER" "none.csv"))
(terpri)
(prin1 (findfile "none.csv"))
