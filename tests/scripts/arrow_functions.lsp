; A flow arrow from LISP: inserted, set the way the LISP program sets it, its hangers
; read back, drawn, snapped and listed by the host, refused arguments with their
; messages, and a hanger list cut to 100 by saving the drawing.
(defun show (label value) (princ label) (prin1 value) (terpri))
; Coordinates to three decimals, so that rounding noise does not show.
(defun r3 (v) (/ (fix (+ (* v 1000) (if (< v 0) -0.5 0.5))) 1000.0))
(defun pts (lst) (mapcar '(lambda (p) (mapcar 'r3 p)) lst))
(defun drawn (e) (mapcar '(lambda (p) (list (car p) (cadr p) (pts (caddr p)))) (host-draw e)))

(terpri)
(setq a (ov_plumb-insertPipeArrow '(0 0 0) '(100 0 0) 0 0 nil))
(show "inserted: " (if a T nil))
(show "head only: " (drawn a))
(show "typical settings: "
      (ov_plumb-setPipeArrowInfo a (list "ixPipe" 12) (list "HANGERDIST" 48.0 -96.0) (list "REVERSEARROWS" T)))
(show "hanger list: " (ov_plumb-pipe-getHangerList a))
(show "reversed, with hangers: " (drawn a))
(show "end snaps: " (pts (host-osnap a "end" '(0 0) '(0 0))))
(show "no centre snap: " (host-osnap a "cen" '(0 0) '(0 0)))
(show "not exploded: " (host-explode a))
(host-list a)

(show "sloped, shorter: "
      (ov_plumb-setPipeArrowInfo a (list "P2" '(10 0 20)) (list "HANGERDIST" 5 -2.5) (list "REVERSEARROWS")))
(show "drawn: " (drawn a))
(show "hangers with no values: " (ov_plumb-setPipeArrowInfo a (list "HANGERDIST")))
(show "hanger list now: " (ov_plumb-pipe-getHangerList a))
(show "a riser: " (progn (ov_plumb-setPipeArrowInfo a (list "P2" '(0 0 120))) (drawn a)))

(princ "-- wrong kinds of arguments")
(ov_plumb-insertPipeArrow "0,0" '(1 0 0) 0 0 nil)
(ov_plumb-insertPipeArrow '(0 0 0) '(1 0 0) 0 0)
(ov_plumb-setPipeArrowInfo "a" (list "ixPipe" 1))
(ov_plumb-pipe-getHangerList 5)
(entmake '((0 . "LINE") (10 0 0 0) (11 4 0 0)))
(show "a line is no arrow: " (ov_plumb-setPipeArrowInfo (entlast) (list "ixPipe" 1)))
(show "and has no hangers: " (ov_plumb-pipe-getHangerList (entlast)))
(setq p (ov_plumb-insertPipe 7 '(0 0 10) '(100 0 10)))
(show "a pipe is no arrow: " (ov_plumb-setPipeArrowInfo p (list "HANGERDIST" 48.0)))
(show "and has no hangers either: " (ov_plumb-pipe-getHangerList p))

(princ "-- 150 hangers saved, 100 read back")
(terpri)
(setq many nil i 150)
(while (> i 0) (setq many (cons (* i 2.0) many) i (1- i)))
(ov_plumb-setPipeArrowInfo a (list "P2" '(1000 0 0)) (cons "HANGERDIST" many))
(show "before saving: " (length (ov_plumb-pipe-getHangerList a)))
(host-save "arrows.hdw")
(host-close)
(host-open "arrows.hdw")
(terpri)
(setq b (entnext))
(show "after reopening: " (length (ov_plumb-pipe-getHangerList b)))
(show "the last kept: " (last (ov_plumb-pipe-getHangerList b)))
