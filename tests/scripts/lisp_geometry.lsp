; ovhost: --no-module
; exit: 1
; The geometry functions of AutoLISP: angle, inters and trans between the world, a UCS
; and an entity's own coordinate system. One case a line, the text of the case then
; what it answers, or the error through *error*; comments say what each group shows.

(defun check (case) (princ case) (princ " -> ") (prin1 (eval (read case))) (terpri))
(defun *error* (msg) (princ (strcat "error: " msg)) (terpri))
; Points to three decimals, so that rounding noise does not show.
(defun r3 (v) (/ (fix (+ (* v 1000) (if (< v 0) -0.5 0.5))) 1000.0))
(defun pt (p) (if (listp p) (mapcar 'r3 p) p))

; angle is measured in the XY plane from the X axis, into 0 to 2 pi; z is ignored.
(check "(list (angle '(0 0) '(1 0)) (angle '(0 0) '(0 1)) (angle '(0 0) '(-1 0)) (angle '(0 0) '(0 -1)))")
(check "(list (angle '(1 1) '(2 2)) (angle '(1 1 5) '(2 2 -5)) (angle '(3 3) '(3 3)))")
(check "(angle '(0 0) 5)")

; inters: by default the point must lie on both segments; with onseg nil the lines
; are endless. Parallel or coincident lines give nil. All four points 3D: the lines
; must meet in space; any point 2D: they are seen in plan.
(check "(inters '(1.0 1.0) '(9.0 9.0) '(4.0 1.0) '(4.0 2.0))")
(check "(inters '(1.0 1.0) '(9.0 9.0) '(4.0 1.0) '(4.0 2.0) T)")
(check "(inters '(1.0 1.0) '(9.0 9.0) '(4.0 1.0) '(4.0 2.0) nil)")
(check "(inters '(0 0) '(10 0) '(5 -5) '(5 5))")
(check "(inters '(0 0) '(10 0) '(10 0) '(10 5))")
(check "(inters '(0 0) '(10 0) '(0 1) '(10 1) nil)")
(check "(inters '(0 0) '(10 0) '(5 0) '(20 0) nil)")
(check "(inters '(0 0 0) '(2 2 2) '(0 2 0) '(2 0 2))")
(check "(inters '(0 0 0) '(2 2 2) '(0 2 0) '(2 0 0))")
(check "(inters '(0 0 0) '(2 2 2) '(0 2 0) '(2 0))")
(check "(inters '(0 0) '(0 0) '(1 1) '(2 2))")
(check "(inters '(0 0) '(1 1) '(1 0))")
(check "(inters '(0 0) '(1 1) '(1 0) \"(0 1)\")")

; trans between the world (0) and the UCS (1): a point moves with the origin and
; turns with the axes, a displacement only turns; the same system gives the point.
(host-ucs '(10 0 0) '(0 1 0))
(check "(list (trans '(1 0 0) 1 0) (trans '(10 1 0) 0 1) (trans '(1 0 0) 1 0 T) (trans '(2 3) 0 0))")
(check "(pt (trans (trans '(3.5 -2 7) 0 1) 1 0))")
(host-ucs)

; trans to and from an entity's own system: an entity name uses its extrusion
; direction, and a direction can be given as a list. A circle drawn on the wall
; (normal along Y) keeps its centre in its own system; trans brings it to the world.
(entmake '((0 . "CIRCLE") (10 1.0 2.0 3.0) (40 . 2.0) (210 0.0 1.0 0.0)))
(setq wall (entlast))
(check "(cdr (assoc 10 (entget wall)))")
(check "(pt (trans (cdr (assoc 10 (entget wall))) wall 0))")
(check "(pt (trans '(-1 3 2) 0 wall))")
(check "(pt (trans '(1 2 3) '(0 1 0) 0))")
(check "(pt (trans '(1 2 3) '(0 0 -1) 0))")
(check "(pt (trans '(1 2 3) '(0 0 1) 0))")
(check "(pt (trans '(1 0 0) '(0 1 0) 0 T))")
; A plan entity has no group 210: its system is the world's.
(entmake '((0 . "LINE") (10 0 0 0) (11 1 0 0)))
(check "(trans '(4 5 6) (entlast) 0)")
; Through the UCS and the entity system in one call.
(host-ucs '(10 0 0) '(0 1 0))
(check "(pt (trans '(1 2 3) wall 1))")
(host-ucs)

; What trans refuses: the display systems (the host has no views), a zero direction,
; a name that is no entity of the drawing, and a point that is no point.
(check "(trans '(1 2) 0 2)")
(check "(trans '(1 2) 3 0)")
(check "(trans '(1 2) '(0 0 0) 0)")
(check "(trans '(1 2) \"x\" 0)")
(check "(trans '(1) 0 1)")
