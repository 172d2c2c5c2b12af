; ovhost: --no-module
; exit: 1
; The entity functions end to end on a new drawing: entmake of each plain kind, what
; entget answers for each, walking, erasing, handles, tables and the curve functions,
; with bad input stopping only its own form.

(defun show (label value) (princ label) (prin1 value) (terpri))
; An entity's groups after its name, type, owner and handle.
(defun body (e) (cddddr (entget e)))

(show "empty drawing: " (list (entnext) (entlast)))

(entmake '((0 . "LINE") (8 . "0") (62 . 1) (10 1.0 2.0 0.0) (11 4.0 6.0 0.0)))
(setq ln (entlast))
(show "type: " (type ln))
(show "same name: " (eq (cdr (assoc -1 (entget ln))) ln))
(show "LINE: " (cdr (assoc 0 (entget ln))))
(show "  " (body ln))

(entmake (list '(0 . "ARC") '(10 0 0 0) '(40 . 2.0) '(50 . 0.0) (cons 51 (/ pi 2))))
(setq arc (entlast))
(show "ARC: " (body arc))

(entmake '((0 . "CIRCLE") (10 5 5 0) (40 . 1.5)))
(setq cir (entlast))
(show "CIRCLE: " (body cir))

(entmake '((0 . "MTEXT") (10 1 1 0) (40 . 2.5) (71 . 1) (1 . "Pipe\\PDN 50") (7 . "Standard") (50 . 0.0)))
(setq txt (entlast))
(show "MTEXT: " (body txt))

; The polyline's own point first, then its vertices.
(entmake '((0 . "POLYLINE") (66 . 1) (10 0.0 0.0 0.0) (70 . 0) (10 0 0) (10 10 0) (10 10 5)))
(setq pl (entlast))
(show "POLYLINE: " (body pl))

(setq n 0 e (entnext))
(while e (setq n (1+ n) e (entnext e)))
(show "entities: " n)
(show "last: " (eq (entlast) pl))

(entdel cir)
(show "erased: " (list (entget cir) (eq (entnext arc) txt)))
(entdel cir)
(show "back: " (cdr (assoc 0 (entget cir))))
(show "by handle: " (eq (handent (cdr (assoc 5 (entget pl)))) pl))
(show "no such handle: " (handent "FFFFFF"))

(show "layer: " (tblsearch "LAYER" "0"))
(show "style: " (tblsearch "style" "STANDARD"))
(show "missing: " (tblsearch "LTYPE" "NOSUCH"))

(show "at param 2.5: " (vlax-curve-getPointAtParam ln 2.5))
(show "arc length: " (vlax-curve-getDistAtParam arc (vlax-curve-getEndParam arc)))
(show "polyline length: " (vlax-curve-getDistAtParam pl (vlax-curve-getEndParam pl)))
(show "param of (10 2.5): " (vlax-curve-getParamAtPoint pl '(10 2.5)))

(entget "not a name")
(entdel)
(entmake '((0 . "LINE") (10 . "x")))
(vlax-curve-getPointAtParam ln 99)
(vlax-curve-getStartParam txt)
(tblsearch "BLOCKS" "x")
(princ "done") (terpri)
