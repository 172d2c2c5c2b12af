; "Find <" in the project explorer, as a designer's routine answers it: the explorer
; shows every placed pipe of the project across its drawings; the user picks one and
; presses "Find <"; the routine opens the drawing that holds the pipe (tblPipe's
; sDrawing, in the project's folder) and lists the pipe there.
;
; Run it in a project's folder whose drawings hold pipes (the restroom demo's folder,
; out/demo/restroom, is one), then call (c:find-in-project):
;   build/release/bin/ovhost -q -i path/to/examples/project_explorer/find_in_drawing.lsp

; The pipe whose ID is ix in the current drawing.
(defun pipe-with-id (ix / e found)
  (setq e (entnext))
  (while (and e (not found))
    (if (and (= (cdr (assoc 0 (entget e))) "OVPLUMBPIPE") (= (cdr (assoc 90 (entget e))) ix)) (setq found e))
    (setq e (entnext e)))
  found)

(defun c:find-in-project ( / answer ix drawing e)
  (setq answer (ov_plumb-ProjectExplorer 0 1 ""))
  (cond
    ((/= (cdr (assoc "state" answer)) 101) (princ "\nNothing to find.") nil)
    ((/= (cdr (assoc "devType" answer)) 1) (princ "\nOnly pipes are found in their drawings here.") nil)
    (T
     (setq ix (cdr (assoc "ixL" answer))
           drawing (car (car (host-sql "SELECT sDrawing FROM tblPipe WHERE ixPipe = ?" ix))))
     (host-open drawing)
     (if (setq e (pipe-with-id ix))
       (progn (host-list e) e)
       (progn (princ (strcat "\nPipe " (itoa ix) " is not in " drawing ".")) nil)))))
