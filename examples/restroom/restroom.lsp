; A small restroom group laid out the way the application's LISP program lays out
; plumbing: three lavatories, two water closets and a urinal on one wall, fed by a cold
; and a hot water main, drained by a sanitary line with P-traps and vented to the roof.
; Every crossing is found, every pipe labelled and given a flow arrow; then the drawing
; is saved (restroom.hdw) and exported (restroom.dxf, restroom_flat.dxf, restroom.svg)
; in the folder it runs in.
;
; Run it in a folder that holds a project (the layers come from the project):
;   build/release/bin/ovhost -q --new-project .
;   build/release/bin/ovhost -q path/to/examples/restroom/restroom.lsp
;
; Plan coordinates are inches: x along the fixture wall (its face is y = 120), y into
; the room; z is the elevation above the finished floor.

;;; ---- What the program takes from the project -----------------------------------
;
; The drawing settings below are copies of what a new project holds: the pipe types' label formats
; ("$SIZE " and the short name), their fitting graphics, the sizes' labels and the
; options (break width, P-trap width, tick width and offset, arc radius, distance
; between labels, vertical pipe diameter). Hanger spacing is kept per pipe in the
; project and a new project has no pipes yet, so the spacing is the usual one for the
; material. Change the numbers here when the project's options change.

(setq *break-width* 3.0)          ; pipe-breakWidth
(setq *ptrap-width* 6.0)          ; PTRAP-WIDTH
(setq *tick-width* 4.0)           ; pipe-fittingTickWidth
(setq *tick-offset* 1.0)          ; pipe-fittingTickOffset
(setq *turn-size* 6.0)            ; pipe-arcRadius: 45-degree turn size and arc radius
(setq *text-distance* 240.0)      ; pipe-textDistance
(setq *vertical-radius* 2.0)      ; half of pipe-verticalDiameter (not to scale)
(setq *text-height* 3.0)
(setq *arrow-length* 4.0)
(setq *hanger-start* 12.0)        ; first hanger this far along the run

; One row per pipe system: layer key, label format, fitting ticks, elbow graphic
; ("RIGHT", "45" or "ARC"). The vent is drawn with arcs, as in a project whose vent
; type has its elbow graphic set to "Arc"; the others are the standard types unchanged.
(setq *systems*
  '(("CW" "$SIZE CW" T "RIGHT")
    ("HW" "$SIZE HW" T "RIGHT")
    ("SAN" "$SIZE SAN" nil "45")
    ("V" "$SIZE V" nil "ARC")))

; Hanger spacing by material: copper up to 1" every 5 ft, larger copper every 6 ft,
; plastic drainage every 4 ft.
(defun hanger-spacing (key size)
  (cond ((member key '("SAN" "V")) 48.0)
        ((member size '("1/2\"" "3/4\"" "1\"")) 60.0)
        (T 72.0)))

(defun system-of (key) (assoc key *systems*))
(defun system-format (key) (cadr (system-of key)))
(defun system-ticks (key) (caddr (system-of key)))
(defun system-elbow (key) (cadddr (system-of key)))

;;; ---- Small helpers --------------------------------------------------------------

(defun plan2 (p) (list (car p) (cadr p)))
(defun flat (p) (list (car p) (cadr p) 0.0))
(defun at-z (p z) (list (car p) (cadr p) z))

; text with every occurrence of old replaced by new
(defun replace-all (text old new / i n out)
  (setq i 1 n (strlen old) out "")
  (while (<= i (strlen text))
    (if (= (substr text i n) old)
      (setq out (strcat out new) i (+ i n))
      (setq out (strcat out (substr text i 1)) i (1+ i))))
  out)

; A label from a label format: $SIZE becomes the size's label. The other variables
; ($FLOW, $TOTALFLOW ...) need the flow sums; the host program's sizing
; (size_restroom.lsp) fills them in when it relabels the sized pipes.
(defun label-text (key size) (replace-all (system-format key) "$SIZE" size))

; The angle from a to b turned into the range -pi to pi.
(defun turn-angle (a b / d)
  (setq d (- b a))
  (while (> d pi) (setq d (- d (* 2 pi))))
  (while (<= d (- pi)) (setq d (+ d (* 2 pi))))
  d)

;;; ---- The project's record of the pipes ---------------------------------------------
;
; As the application's program does when it places a pipe, each pipe gets a row in the
; project (tblPipe), whose key is the pipe's ID, in the restroom's alignment-point area
; on the first floor; the project explorer lists them from there. The host program's
; host-sql runs the statements on the project database.

(setq *drawing* "restroom.hdw")

(defun project-value (sql value) (car (car (host-sql sql value))))

; The restroom's area: on the lowest floor, at the drawing's alignment point 1.
(defun restroom-area (/ floor)
  (setq floor (project-value "SELECT ixFloor FROM tblFloor ORDER BY dElevation, ixFloor LIMIT ?" 1))
  (if (not (host-sql "SELECT 1 FROM tblAlignmentPointArea WHERE sDrawing = ?" *drawing*))
    (host-sql "INSERT INTO tblAlignmentPointArea (ixFloor, sName, sDrawing, iAlignmentPointNumber, bDeleted) VALUES (?, 'Restroom', ?, 1, 0)"
              floor *drawing*)))

; The pipe's row: type by its short name, size by its label; answers the key.
(defun pipe-row (key size start end / type)
  (setq type (project-value "SELECT ixPipeType FROM tblPipeType WHERE sShortName = ?" key))
  (car (car (host-sql "INSERT INTO tblPipe (ixPipeType, ixLayerSystem, ixPipeSize, dX1, dY1, dZ1, dX2, dY2, dZ2, sDrawing, iAlignmentPointNumber) VALUES (?, 1, coalesce((SELECT ixPipeSize FROM tblPipeSize WHERE ixPipeType = ? AND sLabel = ?), 0), ?, ?, ?, ?, ?, ?, ?, 1) RETURNING ixPipe"
                      type type size (car start) (cadr start) (caddr start) (car end) (cadr end) (caddr end) *drawing*))))

;; What a fixture puts into the pipe that serves it: a fixed value in one of the pipe
;; type's flow categories, named as the project names it.
(defun fixture-load (e key category value)
  (host-sql "INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) SELECT ?, c.ixPipeSumCategory, -1, ? FROM tblPipeSumCategory c JOIN tblPipeType t ON t.ixPipeType = c.ixPipeType WHERE t.sShortName = ? AND c.sName = ?"
            (cdr (assoc 90 (entget e))) value key category)
  e)

;; The pipe whose free end is its system's source (the host program's mark), and a
;; size the designer fixes: the sizing leaves it alone.
(defun mark-source (e) (plumb-setSource (cdr (assoc 90 (entget e))) T) e)
(defun lock-size (e)
  (host-sql "UPDATE tblPipe SET bSizeLocked = -1 WHERE ixPipe = ?" (cdr (assoc 90 (entget e))))
  e)

; Fixture units of the restroom's fixtures (public use): water supply fixture units
; for cold and hot water, drainage fixture units for waste and vent.
(setq *wsfu-lavatory* 1.5 *wsfu-closet* 5.0 *wsfu-urinal* 3.0)
(setq *dfu-lavatory* 1.0 *dfu-closet* 4.0 *dfu-urinal* 2.0)

;;; ---- Pipes ----------------------------------------------------------------------
;
; The program's own record of each pipe: (ENAME KEY SIZE START END). *pipes* holds
; them newest first.

(setq *pipes* nil *traps* nil)
(setq *label-layer* (ov_plumb-getLayer "LABEL" 1))
; The standard project has no key of its own for the hidden copies, so "HIDDEN"
; resolves to the layer system's default pipe layer.
(setq *hidden-layer* (ov_plumb-getLayer "HIDDEN" 1))

(defun rec-ename (r) (car r))
(defun rec-key (r) (cadr r))
(defun rec-size (r) (caddr r))
(defun rec-start (r) (cadddr r))
(defun rec-end (r) (nth 4 r))
(defun rec-of (ename) (assoc ename *pipes*))
(defun rec-plan-length (r) (distance (plan2 (rec-start r)) (plan2 (rec-end r))))
(defun rec-vertical-p (r) (< (rec-plan-length r) 0.1))
(defun rec-angle (r) (angle (plan2 (rec-start r)) (plan2 (rec-end r))))

; Inserts a pipe on its system's layer with its label and ticks and records it.
(defun add-pipe (key size start end / layer e)
  (setq layer (ov_plumb-getLayer key 1))
  (setvar "CLAYER" layer)
  (setq e (ov_plumb-insertPipe (pipe-row key size start end) start end *vertical-radius*))
  (ov_plumb-setPipeInfo e
    (list "TEXT" (label-text key size))
    (list "TEXTHEIGHT" *text-height*)
    (list "TEXTDISTANCE" *text-distance*)
    (list "TEXTLAYER" *label-layer*))
  (if (system-ticks key)
    (ov_plumb-setPipeInfo e
      (list "TICKWIDTH" *tick-width*)
      (list "TICKOFFSETHEAD" *tick-offset*)
      (list "TICKOFFSETTAIL" *tick-offset*)))
  ; water runs in the ceiling space among the ducts: a hidden copy shows it there
  (if (member key '("CW" "HW")) (ov_plumb-setPipeInfo e (list "HIDDENLAYER" *hidden-layer*)))
  (setq *pipes* (cons (list e key size start end) *pipes*))
  e)

; A riser (up) or a drop (down) at a plan point, from elevation z1 to z2. A drop's
; circle is opened where the horizontal pipes leave it (angles in radians).
(defun add-vertical (key size pt z1 z2 openings / e)
  (setq e (add-pipe key size (at-z pt z1) (at-z pt z2)))
  (if (< z2 z1)
    (ov_plumb-setPipeInfo e '("VERTICALTYPE" "DOWN") (cons "VERTICALANGLELIST" openings))
    (ov_plumb-setPipeInfo e '("VERTICALTYPE" "UP")))
  e)

; A horizontal arm that ends in a P-trap under the fixture's tailpiece.
(defun add-trap-arm (key size start end / e)
  (setq e (add-pipe key size start end))
  (ov_plumb-setPipeInfo e '("PTRAP" T) (list "PTRAPWIDTH" *ptrap-width*))
  (setq *traps* (cons e *traps*))
  e)

;;; ---- Fittings at turns ----------------------------------------------------------
;
; pipe-in ends where pipe-out starts. The graphic follows the system's elbow setting:
; a right angle draws the lines to the corner; a 45-degree elbow cuts the corner with
; one leg; an arc rounds it.

(defun turn (pipe-in pipe-out / r-in r-out graphic)
  (setq r-in (rec-of pipe-in) r-out (rec-of pipe-out))
  (setq graphic (system-elbow (rec-key r-in)))
  (cond ((= graphic "45") (turn-45 pipe-in pipe-out (turn-angle (rec-angle r-in) (rec-angle r-out))))
        ((= graphic "ARC") (turn-arc pipe-in pipe-out (turn-angle (rec-angle r-in) (rec-angle r-out))))))

; The leg runs from turn-size before the corner to turn-size after it. The program
; keeps each leg as (PIPE INDEX BASE LEG-END) to find what crosses it; a pipe ends in
; one turn at most, so its leg is always elbow 0.
(setq *elbows* nil)

(defun turn-45 (pipe-in pipe-out theta / e r len base)
  (setq e *turn-size* r (rec-of pipe-in))
  (setq len (* 2 e (cos (/ theta 2))))
  (ov_plumb-setPipeInfo pipe-in (list "HEADOFFSET" e) (list "ELBOW45OFFSET" e)
    (list "ELBOWLIST" len (/ theta 2)))
  (ov_plumb-setPipeInfo pipe-out (list "TAILOFFSET" e))
  (setq base (polar (plan2 (rec-end r)) (+ (rec-angle r) pi) e))
  (setq *elbows* (cons (list pipe-in 0 base (polar base (+ (rec-angle r) (/ theta 2)) len)) *elbows*)))

; The arc starts the radius before the corner and sweeps through the turn, on the
; side the pipe turns to.
(defun turn-arc (pipe-in pipe-out theta / r)
  (setq r *turn-size*)
  (ov_plumb-setPipeInfo pipe-in (list "HEADOFFSET" r) (list "ARCRADIUS" r)
    (list "ARCLIST" (abs theta) r (if (> theta 0) 1 -1)))
  (ov_plumb-setPipeInfo pipe-out (list "TAILOFFSET" r)))

;;; ---- The restroom group ---------------------------------------------------------
;
; The risers come up in the corner at x = 0 and the mains run east along the wall.
; A lavatory's connections sit at fixed offsets from its centre: the waste 18" to its
; west (the trap arm runs east from there to the tailpiece), the hot water 4", the
; cold water 8" and the vent 12" to its east. The urinal's are the same but for the
; vent, 16" east, clear of the flush valve's label. A water closet's waste is on its
; centre line, its vent 12" west and its flush valve 8" east.

(setq *lavatories* '(60.0 96.0 132.0))
(setq *closets* '(180.0 216.0))
(setq *urinal* 252.0)
(setq *wall* 120.0)
(setq y-san 72.0 y-vent 84.0 y-cw 96.0 y-hw 108.0 y-arm 112.0)
(setq z-cw 100.0 z-hw 104.0 z-vent 54.0)
; the sanitary main falls 1/4" per foot toward the building drain at its west end
(defun z-san (x) (+ -18.0 (/ (+ x 12.0) 48.0)))

; The riser's foot, where the water service comes in, is the source.
(defun lay-cold-water ()
  (mark-source (add-vertical "CW" "1-1/2\"" (list 0.0 y-cw) -18.0 z-cw nil))
  (add-pipe "CW" "1-1/2\"" (list 0.0 y-cw z-cw) (list (+ *urinal* 8.0) y-cw z-cw))
  (foreach x *lavatories* (cw-branch (+ x 8.0) "1/2\"" *wsfu-lavatory*))
  (foreach x *closets* (cw-branch (+ x 8.0) "1\"" *wsfu-closet*))
  (cw-branch (+ *urinal* 8.0) "3/4\"" *wsfu-urinal*))

(defun cw-branch (x size load)
  (fixture-load (add-pipe "CW" size (list x y-cw z-cw) (list x *wall* z-cw)) "CW" "Fixture Units" load))

; Hot water comes down from the heater above: the drop's top is the source.
(defun lay-hot-water ()
  (mark-source (add-vertical "HW" "3/4\"" (list 0.0 y-hw) 144.0 z-hw (list 0.0)))
  (add-pipe "HW" "3/4\"" (list 0.0 y-hw z-hw) (list (+ (last *lavatories*) 4.0) y-hw z-hw))
  (foreach x *lavatories*
    (fixture-load (add-pipe "HW" "1/2\"" (list (+ x 4.0) y-hw z-hw) (list (+ x 4.0) *wall* z-hw))
                  "HW" "Fixture Units" *wsfu-lavatory*)))

; A trapped fixture: a branch up from the main and a trap arm along the wall to the
; fixture's tailpiece, joined by an elbow.
(defun san-trapped (x size z-arm load / branch arm)
  (setq branch (add-pipe "SAN" size (list (- x 18.0) y-san (z-san (- x 18.0))) (list (- x 18.0) y-arm z-arm)))
  (setq arm (add-trap-arm "SAN" size (list (- x 18.0) y-arm z-arm) (list x y-arm z-arm)))
  (fixture-load arm "SAN" "Drainage Fixture Units" load)
  (turn branch arm))

; The drop to the building drain is the system's outlet, its source; it and the
; closets' branches keep the sizes the designer gave them (a closet drains through 3"
; at least, and the building drain is 4" to the sewer), so the sizing leaves them.
(defun lay-sanitary (/ leg main urinal arm)
  (lock-size (mark-source (add-vertical "SAN" "4\"" '(-12.0 36.0) (z-san -48.0) -60.0 (list (/ pi 2)))))
  (setq leg (add-pipe "SAN" "4\"" (list -12.0 36.0 (z-san -48.0)) (list -12.0 y-san (z-san -12.0))))
  (setq main (add-pipe "SAN" "4\"" (list -12.0 y-san (z-san -12.0)) (list (- *urinal* 18.0) y-san (z-san (- *urinal* 18.0)))))
  (turn leg main)
  (foreach x *lavatories* (san-trapped x "1-1/2\"" 18.0 *dfu-lavatory*))
  (foreach x *closets*
    (lock-size (fixture-load (add-pipe "SAN" "3\"" (list x y-san (z-san x)) (list x 132.0 0.0))
                             "SAN" "Drainage Fixture Units" *dfu-closet*)))
  ; the urinal's branch continues the main round its east end
  (setq urinal (add-pipe "SAN" "2\"" (list (- *urinal* 18.0) y-san (z-san (- *urinal* 18.0)))
                         (list (- *urinal* 18.0) y-arm 20.0)))
  (turn main urinal)
  (setq arm (add-trap-arm "SAN" "2\"" (list (- *urinal* 18.0) y-arm 20.0) (list *urinal* y-arm 20.0)))
  (fixture-load arm "SAN" "Drainage Fixture Units" *dfu-urinal*)
  (turn urinal arm))

; Vents drop from the fixtures to a main that runs west from the urinal and turns
; south to the stack that goes up through the roof.
; Each branch vents its fixture's drainage fixture units; the stack's top, through
; the roof, is the source.
(defun lay-vent (/ last-branch main leg)
  (foreach x *lavatories* (vent-branch (+ x 12.0) 116.0 "1-1/2\"" *dfu-lavatory*))
  (foreach x *closets* (vent-branch (- x 12.0) 112.0 "2\"" *dfu-closet*))
  (setq last-branch (vent-branch (+ *urinal* 16.0) 116.0 "1-1/2\"" *dfu-urinal*))
  (setq main (add-pipe "V" "2\"" (list (+ *urinal* 16.0) y-vent z-vent) (list 0.0 y-vent z-vent)))
  (setq leg (add-pipe "V" "3\"" (list 0.0 y-vent z-vent) (list 0.0 60.0 z-vent)))
  (turn last-branch main)
  (turn main leg)
  (mark-source (add-vertical "V" "3\"" '(0.0 60.0) z-vent 200.0 nil)))

(defun vent-branch (x y size load)
  (fixture-load (add-pipe "V" size (list x y z-vent) (list x y-vent z-vent)) "V" "Drainage Fixture Units" load))

;;; ---- Fixtures (background, grey) ----------------------------------------------

(defun grey-line (p q) (entmake (list '(0 . "LINE") '(8 . "0") '(62 . 8) (cons 10 (flat p)) (cons 11 (flat q)))))
(defun grey-circle (c r) (entmake (list '(0 . "CIRCLE") '(8 . "0") '(62 . 8) (cons 10 (flat c)) (cons 40 r))))
(defun grey-box (x1 y1 x2 y2)
  (grey-line (list x1 y1) (list x2 y1)) (grey-line (list x2 y1) (list x2 y2))
  (grey-line (list x2 y2) (list x1 y2)) (grey-line (list x1 y2) (list x1 y1)))
(defun tag (text x y)
  (entmake (list '(0 . "MTEXT") '(8 . "0") '(62 . 8) (cons 10 (list (- x 4.5) y 0.0)) (cons 40 *text-height*)
                 (cons 1 text))))

(defun draw-fixtures (/ n)
  (grey-line (list -36.0 *wall*) (list (+ *urinal* 24.0) *wall*))
  (setq n 0)
  (foreach x *lavatories*
    (setq n (1+ n))
    (grey-box (- x 11.0) *wall* (+ x 11.0) (+ *wall* 20.0))
    (grey-circle (list x (+ *wall* 10.0)) 7.0)
    (tag (strcat "L-" (itoa n)) x (+ *wall* 28.0)))
  (setq n 0)
  (foreach x *closets*
    (setq n (1+ n))
    (grey-box (- x 10.0) *wall* (+ x 10.0) (+ *wall* 8.0))
    (grey-circle (list x (+ *wall* 19.0)) 9.0)
    (tag (strcat "WC-" (itoa n)) x (+ *wall* 34.0)))
  (grey-box (- *urinal* 8.0) *wall* (+ *urinal* 8.0) (+ *wall* 14.0))
  (tag "U-1" *urinal* (+ *wall* 22.0)))

;;; ---- Crossings ------------------------------------------------------------------
;
; The host intersects in three dimensions, and pipes at different elevations never
; meet there; crossings in plan are found between shadows: a temporary line at
; elevation 0 under each pipe, erased afterwards. At a crossing the lower pipe is
; broken; a point at either pipe's end is a connection, not a crossing.

(setq *breaks* nil)         ; (ENAME . DISTANCE) for every break found
(setq *touches* nil)        ; (ENAME . DISTANCE) wherever another pipe meets it in plan
(setq *trap-breaks* nil)    ; (ENAME PART . DISTANCE), PART "line1" "polyline" "line2"
(setq *elbow-breaks* nil)   ; (ENAME INDEX . DISTANCE)
(setq *crossings* 0)

(defun shadow (r)
  (entmake (list '(0 . "LINE") (cons 10 (flat (rec-start r))) (cons 11 (flat (rec-end r)))))
  (entlast))

; The pipe's elevation above a plan point on it.
(defun z-at (r pt / s f)
  (setq s (plan2 (rec-start r)))
  (setq f (/ (distance s (plan2 pt)) (rec-plan-length r)))
  (+ (caddr (rec-start r)) (* f (- (caddr (rec-end r)) (caddr (rec-start r))))))

(defun at-end-p (r pt)
  (or (< (distance (plan2 pt) (plan2 (rec-start r))) 0.01)
      (< (distance (plan2 pt) (plan2 (rec-end r))) 0.01)))

(defun distance-along (r pt) (distance (plan2 (rec-start r)) (plan2 pt)))

(defun add-break (r pt)
  (setq *breaks* (cons (cons (rec-ename r) (distance-along r pt)) *breaks*)))

(defun add-touch (r pt)
  (setq *touches* (cons (cons (rec-ename r) (distance-along r pt)) *touches*)))

(defun cross-pair (a sa b sb)
  (foreach pt (host-intersect sa sb)
    (add-touch a pt)
    (add-touch b pt)
    (if (not (or (at-end-p a pt) (at-end-p b pt)))
      (progn
        (setq *crossings* (1+ *crossings*))
        (add-break (if (< (z-at a pt) (z-at b pt)) a b) pt)))))

(defun find-crossings (/ runs shadows rest sa)
  (foreach r (reverse *pipes*) (if (not (rec-vertical-p r)) (setq runs (cons r runs))))
  (setq shadows (mapcar 'shadow runs))
  (setq rest shadows)
  (foreach a runs
    (setq sa (car rest) rest (cdr rest))
    (mapcar '(lambda (b sb) (cross-pair a sa b sb)) (member-tail a runs) rest))
  (foreach e *elbows* (cross-elbow e runs shadows))
  (foreach s shadows (entdel s)))

; An elbow leg lies at its pipe's end elevation.
(defun cross-elbow (elbow runs shadows / pipe base leg-end z-leg leg)
  (setq pipe (car elbow) base (caddr elbow) leg-end (cadddr elbow))
  (setq z-leg (caddr (rec-end (rec-of pipe))))
  (entmake (list '(0 . "LINE") (cons 10 (flat base)) (cons 11 (flat leg-end))))
  (setq leg (entlast))
  (mapcar '(lambda (r sr)
             (foreach pt (host-intersect leg sr)
               (add-touch r pt)
               (if (not (or (at-end-p r pt) (< (distance (plan2 pt) base) 0.01) (< (distance (plan2 pt) leg-end) 0.01)))
                 (progn
                   (setq *crossings* (1+ *crossings*))
                   (if (< z-leg (z-at r pt))
                     (setq *elbow-breaks* (cons (cons pipe (cons (cadr elbow) (distance (plan2 pt) base))) *elbow-breaks*))
                     (add-break r pt))))))
          runs shadows)
  (entdel leg))

; the records after r in runs (runs and the shadows' rest stay in step)
(defun member-tail (r runs) (cdr (member r runs)))

; A P-trap hangs below its arm, where a pipe along the wall may pass over it. The
; module tells where a line meets the trap's parts; the lower of the two is broken.
; Each point comes as ("entity" . distance along the line) followed by the trap
; part's own entry.
(defun cross-trap (trap r / z-trap trap-lower pt)
  (setq z-trap (caddr (rec-end (rec-of trap))))
  (foreach hit (ov_plumb-intersectPtrapLine 0.0 trap (flat (rec-start r)) (flat (rec-end r)))
    (if (= (car hit) "entity")
      (progn
        (setq pt (polar (plan2 (rec-start r)) (rec-angle r) (cdr hit)))
        (setq *crossings* (1+ *crossings*))
        (add-touch r pt)
        (setq trap-lower (< z-trap (z-at r pt)))
        (if (not trap-lower) (add-break r pt)))
      (if trap-lower (setq *trap-breaks* (cons (cons trap hit) *trap-breaks*))))))

(defun find-trap-crossings ()
  (foreach trap *traps*
    (foreach r *pipes*
      (if (and (not (eq (rec-ename r) trap)) (not (rec-vertical-p r)))
        (cross-trap trap r)))))

; The distances found for one pipe (and one trap part).
(defun breaks-of (e / out)
  (foreach b *breaks* (if (eq (car b) e) (setq out (cons (cdr b) out))))
  out)
(defun touches-of (e / out)
  (foreach b *touches* (if (eq (car b) e) (setq out (cons (cdr b) out))))
  out)
(defun trap-breaks-of (e part / out)
  (foreach b *trap-breaks* (if (and (eq (car b) e) (= (cadr b) part)) (setq out (cons (cddr b) out))))
  out)

(defun elbow-breaks-of (e / out)
  (foreach b *elbow-breaks* (if (eq (car b) e) (setq out (cons (cddr b) out))))
  out)

(defun store-breaks (/ d)
  (foreach r *pipes*
    (setq d (breaks-of (rec-ename r)))
    (if d (ov_plumb-setPipeBreaks (rec-ename r) *break-width* (cons "crossings" d))))
  (foreach elbow *elbows*
    (if (setq d (elbow-breaks-of (car elbow)))
      (ov_plumb-pipe-setElbowBreaks (car elbow) (list (cons "crossings" (cons (cadr elbow) d))))))
  (foreach trap *traps*
    (if (setq d (trap-breaks-of trap "line1")) (ov_plumb-pipe-setPtrapLine1Breaks trap (cons "crossings" d)))
    (if (setq d (trap-breaks-of trap "polyline")) (ov_plumb-pipe-setPtrapPolylineBreaks trap (cons "crossings" d)))
    (if (setq d (trap-breaks-of trap "line2")) (ov_plumb-pipe-setPtrapLine2Breaks trap (cons "crossings" d)))))

;;; ---- Flow arrows and hangers ----------------------------------------------------
;
; One arrow per horizontal run, pointing the way its system flows, with the hangers of
; a run longer than the hanger spacing. The arrowhead goes in the clear stretch
; nearest the downstream end: away from the fittings at the ends and from every point
; where another pipe meets or crosses the run.

(setq *arrows* 0 *hangers* 0)
(setq *end-clearance* 8.0 *cross-clearance* 4.0)

(defun insert-number (x lst)
  (cond ((null lst) (list x))
        ((<= x (car lst)) (cons x lst))
        (T (cons (car lst) (insert-number x (cdr lst))))))
(defun sort-numbers (lst / out)
  (foreach x lst (setq out (insert-number x out)))
  out)

; Distance from the upstream end to the arrowhead's tip, or nil when no stretch is
; clear. stops: the distances of the meeting points from the upstream end.
(defun arrow-tip (len stops / tip p lo hi)
  (setq p 0.0 lo *end-clearance*)
  (foreach q (append (sort-numbers stops) (list len))
    (setq hi (if (= q len) (- len *end-clearance*) (- q *cross-clearance*)))
    (if (>= (- hi lo) *arrow-length*) (setq tip (+ (/ (+ lo hi) 2) (/ *arrow-length* 2))))
    (setq lo (+ q *cross-clearance*)))
  tip)

(defun hanger-list (length spacing / d out)
  (setq d *hanger-start*)
  (while (< d (- length *hanger-start*))
    (setq out (cons d out) d (+ d spacing)))
  (reverse out))

(defun add-arrow (r / from to len stops spacing tip a hangers)
  (setq len (rec-plan-length r) stops (touches-of (rec-ename r)))
  ; Sanitary pipes are drawn from the main out to the fixtures (a trap hangs at a
  ; pipe's end), against their flow; every other pipe is drawn the way it flows.
  (if (= (rec-key r) "SAN")
    (setq from (rec-end r) to (rec-start r) stops (mapcar '(lambda (d) (- len d)) stops))
    (setq from (rec-start r) to (rec-end r)))
  (setq spacing (hanger-spacing (rec-key r) (rec-size r)))
  (if (> len spacing) (setq hangers (hanger-list len spacing)))
  (setq tip (arrow-tip len stops))
  (if tip (setq a (ov_plumb-insertPipeArrow from to 0.0 (- len tip) nil)))
  (if a (set-arrow a r hangers)))

(defun set-arrow (a r hangers)
  (ov_plumb-setPipeArrowInfo a
    (list "ixPipe" (cdr (assoc 90 (entget (rec-ename r)))))
    (list "ARROWLENGTH" *arrow-length*)
    (cons "HANGERDIST" hangers))
  (setq *arrows* (1+ *arrows*) *hangers* (+ *hangers* (length hangers))))

; Trap arms are too short for an arrow beside their trap.
(defun add-arrows ()
  (foreach r (reverse *pipes*)
    (if (and (not (rec-vertical-p r)) (not (member (rec-ename r) *traps*)))
      (progn
        (setvar "CLAYER" (ov_plumb-getLayer (rec-key r) 1))
        (add-arrow r)))))

;;; ---- Report ---------------------------------------------------------------------

(defun count-key (key / n)
  (setq n 0)
  (foreach r *pipes* (if (= (rec-key r) key) (setq n (1+ n))))
  n)

(defun count-vertical (/ n)
  (setq n 0)
  (foreach r *pipes* (if (rec-vertical-p r) (setq n (1+ n))))
  n)

(defun report ()
  (princ (strcat "\nrestroom: " (itoa (length *pipes*)) " pipes (CW " (itoa (count-key "CW"))
                 ", HW " (itoa (count-key "HW")) ", SAN " (itoa (count-key "SAN"))
                 ", V " (itoa (count-key "V")) "), " (itoa (count-vertical)) " risers and drops, "
                 (itoa (length *traps*)) " P-traps"))
  (princ (strcat "\nrestroom: " (itoa *crossings*) " crossings: " (itoa (length *breaks*))
                 " pipe breaks, " (itoa (length *elbow-breaks*)) " elbow breaks, "
                 (itoa (length *trap-breaks*)) " P-trap breaks"))
  (princ (strcat "\nrestroom: " (itoa *arrows*) " flow arrows, " (itoa *hangers*) " hangers"))
  ; a vertical pipe shows its symbol only; the module leaves a label out where it
  ; does not fit between the breaks
  (princ (strcat "\nrestroom: " (itoa (- (length *pipes*) (count-vertical))) " runs labelled, e.g. "
                 (label-text "CW" "1-1/2\"") ", " (label-text "SAN" "4\"")))
  (terpri))

;;; ---- Run ------------------------------------------------------------------------

(defun restroom ()
  (restroom-area)
  (draw-fixtures)
  (lay-cold-water)
  (lay-hot-water)
  (lay-sanitary)
  (lay-vent)
  (find-crossings)
  (find-trap-crossings)
  (store-breaks)
  (add-arrows)
  (setvar "CLAYER" "0")
  (host-save "restroom.hdw")
  (host-export-dxf "restroom.dxf")
  (host-export-dxf "restroom_flat.dxf" T)
  (host-export-svg "restroom.svg")
  (report)
  (princ "restroom: wrote restroom.hdw, restroom.dxf, restroom_flat.dxf, restroom.svg")
  (terpri))

(restroom)
