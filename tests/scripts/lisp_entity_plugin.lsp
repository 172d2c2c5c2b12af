; exit: 1
; The module's pipe as a plug-in's entity, the kind the host knows nothing of: entget
; answers what its DXF filing writes and entmake reads that back through it, undo puts
; it back through its own filing, and a curve function it does not answer is the host
; default's failure.

(terpri)
(defun *error* (msg) (princ (strcat "error: " msg)) (terpri))
(defun show (label value) (princ label) (prin1 value) (terpri))
(defun body (e) (cddddr (entget e)))

(setq p (ov_plumb-insertPipe 1 '(0 0 5) '(10 0 8)))
(show "entmake of its entget: "
      (list (cdr (assoc 0 (entget p))) (equal (entmake (entget p)) (entget p)) (equal (body (entlast)) (body p) 1e-9)
            (eq (entlast) p)))
(host-move-grips p '(2) '(0 3 9))
(show "end grip dragged: " (vlax-curve-getEndPoint p))
(host-undo)
(show "undone: " (vlax-curve-getEndPoint p))
(vlax-curve-getClosestPointTo p '(0 0))
