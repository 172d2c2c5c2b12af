; Inserts a fixture connection the way a designer's routine does: the settings come
; from the "Insert Fixture Connection" dialog (the application keeps them from one
; connection to the next), the place from the user. The connection is a pipe that
; leaves the fixture point at the chosen elevation and runs 48" toward the wall
; (positive y), on its pipe type's layer, with a P-trap when asked for, labelled with
; its size and flows. Like the application's own program, the routine keeps the pipe
; in the project (tblPipe, and its flows in tblPipeSum); the pipe's ID is its key there.
;
; Run it in a folder that holds a project, then call (c:fixture-connection):
;   build/release/bin/ovhost -q --new-project .
;   build/release/bin/ovhost -q -i path/to/examples/fixture_connection/fixture_connection.lsp

(setq *connection-run* 48.0)   ; how far the connection runs toward the wall
(setq *label-height* 3.0)
(setq *label-distance* 240.0)  ; one label for a run this short

; One value from the project, through the application program's SQL.
(defun project-value (sql arg) (car (car (host-sql sql arg))))

; The categories of the type with the flows the dialog was given, the empty ones left
; out: ((category suffix flow) ...).
(defun connection-flows (type / flows flow)
  (foreach category (host-sql "SELECT ixPipeSumCategory, coalesce(sLabelSuffix, '') FROM tblPipeSumCategory WHERE ixPipeType = ? ORDER BY iOrder" type)
    (setq flow (pipe-insertFixtureConnection-getdValue (car category)))
    (if (> flow 0) (setq flows (cons (list (car category) (cadr category) flow) flows))))
  (reverse flows))

; "1/2\" CW 3.5 GPM": the size (AUTO until sized), the type's short name, the flows.
(defun connection-label (type size flows / text)
  (setq text (strcat (if (> size 0) (project-value "SELECT sLabel FROM tblPipeSize WHERE ixPipeSize = ?" size) "AUTO")
                     " " (project-value "SELECT sShortName FROM tblPipeType WHERE ixPipeType = ?" type)))
  (foreach f flows (setq text (strcat text " " (rtos (caddr f) 2 2) (cadr f))))
  text)

(defun c:fixture-connection ( / settings ptrap transparent type system size table elevation pt p1 p2 key pipe flows width)
  (cond
    ((not (ov_plumb-insertFixtureConnection)) (princ "\nNo fixture connection inserted.") nil)
    ((null (setq pt (getpoint "\nFixture connection point: "))) (princ "\nNo point given.") nil)
    (T
     ; P-trap, transparent, pipe type, layer system, size, sizing table, elevation, floor
     (setq settings (pipe-insertFixtureConnection-getGlobal)
           ptrap (= (nth 0 settings) -1)
           transparent (= (nth 1 settings) -1)
           type (nth 2 settings)
           system (nth 3 settings)
           size (nth 4 settings)
           table (nth 5 settings)
           elevation (nth 6 settings)
           p1 (list (car pt) (cadr pt) elevation)
           p2 (list (car pt) (+ (cadr pt) *connection-run*) elevation)
           flows (connection-flows type))
     (setq key (car (car (host-sql "INSERT INTO tblPipe (ixPipeType, ixLayerSystem, ixPipeSize, ixPipeSizingTable, dZ1, dZ2, dX1, dY1, dX2, dY2, bPTrap, bTransparent) VALUES (?, ?, ?, nullif(?, 0), ?, ?, ?, ?, ?, ?, ?, ?) RETURNING ixPipe"
                                   type system size table elevation elevation (car p1) (cadr p1) (car p2) (cadr p2)
                                   (if ptrap -1 0) (if transparent -1 0)))))
     (foreach f flows
       (host-sql "INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) VALUES (?, ?, -1, ?)" key (car f) (caddr f)))
     (setvar "CLAYER" (ov_plumb-getLayer (project-value "SELECT sShortName FROM tblPipeType WHERE ixPipeType = ?" type) system))
     (setq pipe (ov_plumb-insertPipe key p1 p2)
           width (project-value "SELECT dNumber FROM tblGlobal WHERE sKey = ?" "PTRAP-WIDTH"))
     (ov_plumb-setPipeInfo pipe
       (list "TEXT" (connection-label type size flows))
       (list "TEXTHEIGHT" *label-height*)
       (list "TEXTDISTANCE" *label-distance*)
       (list "TEXTLAYER" (ov_plumb-getLayer "LABEL" system))
       (list "PTRAP" ptrap)
       (list "PTRAPWIDTH" (if width width 6.0)))
     pipe)))
