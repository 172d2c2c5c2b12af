; ovhost: --no-module
; exit: 1
; The entity host services end to end: listing, drawing, the editing commands, grips,
; stretch points, snaps, intersections and explode, and their refusals.

(defun show (label value) (princ label) (prin1 value) (terpri))
; Coordinates to three decimals, so that rounding noise does not show.
(defun r3 (v) (/ (fix (+ (* v 1000) (if (< v 0) -0.5 0.5))) 1000.0))
(defun pt (p) (mapcar 'r3 p))

(entmake '((0 . "LINE") (10 1 2 0) (11 4 6 0)))
(setq ln (entlast))
(host-list ln)
(show "line: " (host-draw ln))

(entmake '((0 . "CIRCLE") (10 5 5 0) (40 . 1.5)))
(setq cir (entlast))
(show "circle: " (host-draw cir))

(entmake (list '(0 . "ARC") '(10 0 0 0) '(40 . 2.0) '(50 . 0.0) (cons 51 (/ pi 2))))
(setq arc (entlast))
(show "arc: " (host-draw arc))
(entmake '((0 . "ARC") (10 0 0 0) (40 . 2.0) (50 . 1.0) (51 . 1.0)))
(show "equal angles, a full turn: " (host-draw (entlast)))

(entmake '((0 . "MTEXT") (10 1 1 0) (40 . 2.5) (1 . "Hi")))
(setq txt (entlast))
(show "text: " (host-draw txt))

(entmake '((0 . "POLYLINE") (10 0 0 0) (70 . 2) (10 0 0) (10 10 0) (10 10 5)))
(setq fit (entlast))
(show "fit curve: " (host-draw fit))
(entmake '((0 . "POLYLINE") (10 0 0 0) (70 . 1) (10 0 0) (10 10 0) (10 10 5)))
(show "closed polyline: " (host-draw (entlast)))

(host-move ln 1 1 0)
(show "moved: " (list (cdr (assoc 10 (entget ln))) (cdr (assoc 11 (entget ln)))))
(host-rotate ln '(0 0) (/ pi 2))
(show "rotated: " (list (pt (cdr (assoc 10 (entget ln)))) (pt (cdr (assoc 11 (entget ln))))))
(host-scale cir '(5 5) 2)
(show "scaled radius: " (cdr (assoc 40 (entget cir))))
(host-mirror arc '(0 0) '(0 1))
(show "mirrored angles: " (list (r3 (cdr (assoc 50 (entget arc)))) (r3 (cdr (assoc 51 (entget arc))))))

(entmake '((0 . "LINE") (10 0 0 0) (11 10 0 0)))
(setq l1 (entlast))
(show "grips: " (host-grips l1))
(host-move-grips l1 '(0) '(0 1 0))
(show "after grip 0: " (cdr (assoc 10 (entget l1))))
(show "stretch points: " (host-stretch-points l1))
(host-move-stretch l1 '(1) '(0 -1 0))
(show "after stretch: " (host-stretch-points l1))

(show "end snaps: " (host-osnap l1 "end" '(0 0) '(0 0)))
(show "mid snap: " (host-osnap l1 "MIDpoint" '(0 0) '(0 0)))
(show "near (3 7): " (host-osnap l1 "nea" '(3 7) '(0 0)))
(show "centre: " (host-osnap cir "cen" '(0 0) '(0 0)))
(show "no centre on a line: " (host-osnap l1 "cen" '(0 0) '(0 0)))

(entmake '((0 . "LINE") (10 5 -5 0) (11 5 5 0)))
(setq l2 (entlast))
(entmake '((0 . "LINE") (10 12 -1 0) (11 12 1 0)))
(setq l3 (entlast))
(show "crossing: " (host-intersect l1 l2))
(show "apart: " (host-intersect l1 l3))
(show "extended: " (host-intersect l1 l3 "both"))

(entmake '((0 . "POLYLINE") (10 0 0 0) (70 . 0) (10 0 0) (10 10 0) (10 10 5)))
(setq pl (entlast))
(show "pieces: " (mapcar '(lambda (e) (cdr (assoc 0 (entget e)))) (host-explode pl)))
(show "polyline kept: " (cdr (assoc 0 (entget pl))))
(show "a line stays whole: " (host-explode l1))

(host-osnap l1 "sideways" '(0 0) '(0 0))
(host-scale l1 '(0 0) 0)
(host-move-grips l1 '(5) '(1 1))
(host-intersect l1 l2 "around")
(host-draw "l1")
(princ "done") (terpri)
