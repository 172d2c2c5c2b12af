; exit: 1
; Editing pipes through the host's commands: grips, stretching, moving, turning,
; mirroring and scaling keep the elevations; snaps, intersections and the curve
; functions answer for the pipe's straight run.

(defun show (label value) (princ label) (prin1 value) (terpri))
; Coordinates to three decimals, so that rounding noise does not show.
(defun r3 (v) (/ (fix (+ (* v 1000) (if (< v 0) -0.5 0.5))) 1000.0))
(defun pt (p) (mapcar 'r3 p))
(defun pts (l) (mapcar 'pt l))
(defun ends (e) (list (pt (vlax-curve-getStartPoint e)) (pt (vlax-curve-getEndPoint e))))
(terpri)

; ---- grips and stretching of an ordinary pipe
(setq p (ov_plumb-insertPipe 1 '(0 0 5) '(10 0 8)))
(show "grips: " (pts (host-grips p)))
(host-move-grips p '(0) '(1 1 0))
(show "midpoint grip dragged: " (ends p))
(host-move-grips p '(2) '(0 3 9))
(show "end grip dragged: " (ends p))
(show "stretch points: " (pts (host-stretch-points p)))
(host-move-stretch p '(0) '(-1 0 4))
(show "start stretched: " (ends p))
(host-move-grips p '(3) '(1 0 0))
(show "after a grip it never offered: " (ends p))
(host-move-grips p '(0 1 1) '(2 0 0))
(show "an end named twice moves once: " (ends p))

; ---- a riser: one grip, one stretch point, and the whole riser goes along
(setq r (ov_plumb-insertPipe 2 '(20 20 0) '(20 20 10)))
(show "riser grips: " (pts (host-grips r)))
(show "riser stretch points: " (pts (host-stretch-points r)))
(host-move-stretch r '(0) '(2 -2 0))
(show "riser stretched: " (ends r))
(show "riser centre snap: " (pts (host-osnap r "cen" '(0 0 0) '(0 0 0))))
(host-move-grips r '(0) '(1 -1 0))
(show "riser grip dragged: " (ends r))
(show "riser nearest and perpendicular snaps: "
      (list (pts (host-osnap r "nea" '(30 30 0) '(0 0 0))) (pts (host-osnap r "per" '(0 0 0) '(-5 0 0)))))

; ---- transformations keep the elevations
(setq m (ov_plumb-insertPipe 3 '(1 2 5) '(4 6 9)))
(host-move m 10 20 30)
(show "moved: " (ends m))
(host-rotate m '(11 22 0) (/ pi 2))
(show "rotated: " (ends m))
(host-mirror m '(0 0 0) '(1 0 0))
(show "mirrored: " (ends m))
(host-scale m '(11 -22 50) 2)
(show "scaled: " (ends m))

; ---- snaps
(setq s (ov_plumb-insertPipe 4 '(0 0 0) '(10 0 10)))
(show "end snap: " (pts (host-osnap s "end" '(0 0 0) '(0 0 0))))
(show "mid snap: " (pts (host-osnap s "mid" '(0 0 0) '(0 0 0))))
(show "centre snap: " (host-osnap s "cen" '(5 0 0) '(5 0 0)))
(show "nearest snap: " (pts (host-osnap s "nea" '(4 3 50) '(0 0 0))))
(show "perpendicular snap: " (pts (host-osnap s "per" '(0 0 0) '(7 -2 -30))))
(show "nearest beyond the end: " (pts (host-osnap s "nea" '(15 1 0) '(0 0 0))))
(show "node, quadrant, insertion and tangent snaps: "
      (mapcar '(lambda (m) (host-osnap s m '(5 1 0) '(5 1 0))) '("nod" "qua" "ins" "tan")))

; ---- intersections under each extension mode, the pipe asking and being asked
(setq h (ov_plumb-insertPipe 5 '(0 0 0) '(10 0 0)))
(entmake '((0 . "LINE") (10 12 -1 0) (11 12 1 0)))
(setq beyond (entlast))
(entmake '((0 . "LINE") (10 5 1 0) (11 5 3 0)))
(setq short (entlast))
(entmake (list '(0 . "ARC") '(10 10 1 0) '(40 . 2.0) '(50 . 0.0) (cons 51 pi)))
(setq above (entlast))
(entmake '((0 . "LINE") (10 5 -1 0) (11 5 1 0)))
(setq across (entlast))
(entmake '((0 . "LINE") (10 12 1 0) (11 12 3 0)))
(setq away (entlast))
(entmake (list '(0 . "ARC") '(10 15 0 0) '(40 . 2.0) (cons 50 (/ pi 2)) (cons 51 (* 1.5 pi))))
(setq past (entlast))
(foreach mode '("none" "this" "arg" "both")
  (princ mode) (terpri)
  (show "  pipe with a line across it: " (pts (host-intersect h across mode)))
  (show "  pipe with a line away from both: " (pts (host-intersect h away mode)))
  (show "  pipe with an arc beyond its end: " (pts (host-intersect h past mode)))
  (show "  pipe with the line beyond its end: " (pts (host-intersect h beyond mode)))
  (show "  pipe with the line short of it: " (pts (host-intersect h short mode)))
  (show "  pipe with the arc above it: " (pts (host-intersect h above mode)))
  (show "  line beyond its end with the pipe: " (pts (host-intersect beyond h mode))))
(setq x (ov_plumb-insertPipe 7 '(5 -5 0) '(5 5 0)))
(show "two pipes crossing: " (pts (host-intersect h x)))

; ---- curve functions on a sloped pipe, 13 long in space
(setq c (ov_plumb-insertPipe 6 '(0 0 0) '(3 4 12)))
(show "start param: " (vlax-curve-getStartParam c))
(show "end param: " (r3 (vlax-curve-getEndParam c)))
(show "point at param 6.5: " (pt (vlax-curve-getPointAtParam c 6.5)))
(show "point at dist 6.5: " (pt (vlax-curve-getPointAtDist c 6.5)))
(show "point at param 26, past the end: " (pt (vlax-curve-getPointAtParam c 26)))
(show "param at a point beside it: " (r3 (vlax-curve-getParamAtPoint c '(5.5 -1 6))))
(show "dist at a point beside it: " (r3 (vlax-curve-getDistAtPoint c '(5.5 -1 6))))
(show "dist at param 20: " (vlax-curve-getDistAtParam c 20.0))
(show "param at dist -3: " (vlax-curve-getParamAtDist c -3.0))

; ---- the host's EXPLODE leaves a pipe alone
(show "exploded: " (host-explode c))
(show "still there: " (ends c))
