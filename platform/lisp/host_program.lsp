;;; The application's LISP program as this host ships it: the functions the plumbing
;;; module calls back with acedInvoke. Every interpreter loads it at start; a user's
;;; own defun of the same name replaces a function.
;;;
;;; Each function first checks its arguments against the shape the module sends
;;; (host-check-arguments: i integer, r number, s string, n nil, l list, * anything),
;;; then answers from the project database of the current drawing (host-sql, with "?"
;;; for every value so that names typed by the user stay data) or asks the user
;;; (host-list-prompt, getdist). A function answers nil where the user cancels, which
;;; the module reads as "not done".

;;; ---- helpers ----

;; The rows whose first value (their key) is not one of keys.
(defun ov-host-rows-without (rows keys / kept)
  (foreach row rows (if (not (member (car row) keys)) (setq kept (cons row kept))))
  (reverse kept))

;; The first column of each row.
(defun ov-host-column (rows) (mapcar 'car rows))

;; The group name of a sizing table's labels.
(defun ov-host-sizing-group (ix) (strcat "Pipe Sizing Table:" (itoa ix)))

;; A length in inches as feet and inches ("5-6", "0-6.25", "-5-6"), as the dialogs
;; show lengths.
(defun ov-host-feet-inches (inches / negative feet rest)
  (setq negative (minusp inches)
        inches (abs inches)
        feet (fix (/ inches 12.0))
        rest (- inches (* feet 12.0)))
  (strcat (if negative "-" "") (itoa feet) "-" (ov-host-trimmed (rtos rest 2 4))))

;; A decimal text (as rtos writes it, with its point) without trailing zeros or point.
(defun ov-host-trimmed (text)
  (while (= (substr text (strlen text)) "0") (setq text (substr text 1 (1- (strlen text)))))
  (if (= (substr text (strlen text)) ".") (substr text 1 (1- (strlen text))) text))

;;; ---- deferred work and repair ----

;; Runs the forms queued in ov_plumb-toDoList (work that waits for a document
;; switch) and empties the queue.
(defun c:ov_plumb-doToDo ( / forms)
  (host-check-arguments "c:ov_plumb-doToDo" "" nil)
  (setq forms ov_plumb-toDoList
        ov_plumb-toDoList nil)
  (foreach form forms (eval form))
  nil)

(defun compactDatabase (path unused mode)
  (host-check-arguments "compactDatabase" "sns" (list path unused mode))
  (host-repair-project path))

;;; ---- pipe sizing tables ----

;; The sizing table's label group: a vertical flow entry and the schedule title,
;; whose label is the table's name.
(defun pipeSizingTable-createLabelGroup (ix name / group)
  (host-check-arguments "pipeSizingTable-createLabelGroup" "is" (list ix name))
  (setq group (ov-host-sizing-group ix))
  (host-sql "DELETE FROM tblLabelGroup WHERE sGroup = ?" group)
  (host-sql "INSERT INTO tblLabelGroup (sKey, sGroup, bDisplay, sLabel) VALUES ('Vertical Flow', ?, -1, 'Vertical Flow')"
            group)
  (host-sql "INSERT INTO tblLabelGroup (sKey, sGroup, bDisplay, sLabel) VALUES ('Schedule Title', ?, -1, ?)"
            group name)
  nil)

;; A sizing table goes with its values and its label group.
(defun pipeSizingTable-deleteRecord (ix)
  (host-check-arguments "pipeSizingTable-deleteRecord" "i" (list ix))
  (host-sql "DELETE FROM tblPipeSizingValue WHERE ixPipeSizingTable = ?" ix)
  (host-sql "DELETE FROM tblLabelGroup WHERE sGroup = ?" (ov-host-sizing-group ix))
  (host-sql "DELETE FROM tblPipeSizingTable WHERE ixPipeSizingTable = ?" ix)
  nil)

;;; ---- flow sums ----

;; The flow the pipe carries in its type's base category, by the rule the sizing
;; uses (host-pipe-flow): its calculated values, or its fixed ones before it has been
;; sized; a lookup category (conversion 2) counts the flow of its fixture count (none
;; for no fixtures), any other category its value times its multiplier.
(defun pipeSumCategory-convertFlow (ixPipe)
  (host-check-arguments "pipeSumCategory-convertFlow" "i" (list ixPipe))
  (host-pipe-flow ixPipe))

;; The query dialog's two distances: to the farthest fixture, measured from the
;; pipe's start, and the highest fixture; the distance from the source is not shown.
(defun plumb-pipeSum-StaticValues (farthest fromSource highest)
  (host-check-arguments "plumb-pipeSum-StaticValues" "rrr" (list farthest fromSource highest))
  (list (ov-host-feet-inches farthest) (ov-host-feet-inches highest)))

;; Which elevations of a pipe the query dialog must not edit: the starting one (1) of a
;; pipe that continues a riser (ixPipeRiserPrevious set), since the riser fixes it;
;; none (0) otherwise.
(defun pipe-query-elevationTileCheck (ix)
  (host-check-arguments "pipe-query-elevationTileCheck" "i" (list ix))
  (if (host-sql "SELECT 1 FROM tblPipe WHERE ixPipe = ? AND ixPipeRiserPrevious IS NOT NULL" ix) 1 0))

;; The query dialog's "Edit. . ." button: the flow categories of the project.
(defun plumb-customization-project-editPipeSumCategory ()
  (host-check-arguments "plumb-customization-project-editPipeSumCategory" "" nil)
  (ov_plumb-pipeSumCategory)
  nil)

;; The pipe types a pipe can take: those with at least one size, in their order.
(defun ov-host-usable-types ()
  (host-sql "SELECT t.ixPipeType, t.sName FROM tblPipeType t WHERE EXISTS (SELECT 1 FROM tblPipeSize s WHERE s.ixPipeType = t.ixPipeType) ORDER BY t.iSortOrder, t.ixPipeType"))

(defun pipe-query-getNumber ()
  (host-check-arguments "pipe-query-getNumber" "" nil)
  (length (ov-host-usable-types)))

;; Two lists: "startlist" and the usable types' keys, then their names.
(defun pipe-usableTypes-withPipe-arx (ix a b / types)
  (host-check-arguments "pipe-usableTypes-withPipe-arx" "i**" (list ix a b))
  (setq types (ov-host-usable-types))
  (list (cons "startlist" (mapcar 'car types)) (mapcar 'cadr types)))

;;; ---- pipe types ----

;; Asks which existing type a new one copies, leaving out the types deleted in this
;; opening of the dialog; answers its key.
(defun plumb-createPipeType-chooseMimic (deleted / rows choice)
  (host-check-arguments "plumb-createPipeType-chooseMimic" "l" (list deleted))
  (setq rows (ov-host-rows-without
               (host-sql "SELECT ixPipeType, sName FROM tblPipeType ORDER BY iSortOrder, ixPipeType") deleted))
  (setq choice (host-list-prompt "Pipe type to copy from:" (mapcar 'cadr rows)))
  (if choice (car (nth choice rows))))

;; Copies the rows of table that where (with whereValue for its "?") selects: every
;; column but the key, changed as columnValues says: (column . value) puts value in,
;; (column . alist of old key . new key) turns a key to its copy's. Answers the alist
;; of each copied row's old key and new key.
(defun ov-host-copy-rows (table keyColumn where whereValue columnValues / columns copied row)
  (setq columns (ov-host-column (host-sql (strcat "SELECT name FROM pragma_table_info('" table "') WHERE name <> ?") keyColumn)))
  (foreach old (ov-host-column (host-sql (strcat "SELECT " keyColumn " FROM " table " WHERE " where " ORDER BY " keyColumn) whereValue))
    (setq row (car (host-sql (strcat "SELECT " (ov-host-joined columns) " FROM " table " WHERE " keyColumn " = ?") old)))
    (setq row (mapcar '(lambda (column value / change)
                         (setq change (assoc column columnValues))
                         (cond ((null change) value)
                               ((listp (cdr change)) (if (assoc value (cdr change)) (cdr (assoc value (cdr change))) value))
                               (T (cdr change))))
                      columns row))
    (setq copied (cons (cons old (car (car (apply 'host-sql
                                                  (cons (strcat "INSERT INTO " table " (" (ov-host-joined columns) ") VALUES ("
                                                                (ov-host-marks (length columns)) ") RETURNING " keyColumn)
                                                        row)))))
                       copied)))
  copied)

(defun ov-host-joined (names / text)
  (foreach name names (setq text (if text (strcat text ", " name) name)))
  text)

(defun ov-host-marks (n / text)
  (repeat n (setq text (if text (strcat text ", ?") "?")))
  text)

;; A new type copies the mimic's sizes, sizing tables with their values, flow
;; categories with their lookup rows, labels, linetypes and linetype texts; the copied
;; values and lookup rows point at the new type's sizes, tables and categories.
(defun plumb-newPipeType (ixNew ixMimic / sizes tables categories)
  (host-check-arguments "plumb-newPipeType" "ii" (list ixNew ixMimic))
  (setq sizes (ov-host-copy-rows "tblPipeSize" "ixPipeSize" "ixPipeType = ?" ixMimic (list (cons "ixPipeType" ixNew)))
        tables (ov-host-copy-rows "tblPipeSizingTable" "ixPipeSizingTable" "ixPipeType = ?" ixMimic (list (cons "ixPipeType" ixNew)))
        categories (ov-host-copy-rows "tblPipeSumCategory" "ixPipeSumCategory" "ixPipeType = ?" ixMimic (list (cons "ixPipeType" ixNew))))
  (foreach table tables
    (ov-host-copy-rows "tblPipeSizingValue" "ixPipeSizingValue" "ixPipeSizingTable = ?" (car table)
                       (list (cons "ixPipeSizingTable" (cdr table)) (cons "ixPipeSize" sizes))))
  (foreach category categories
    (ov-host-copy-rows "tblPipeFlowLookup" "ixPipeFlowLookup" "ixPipeSumCategory = ?" (car category)
                       (list (cons "ixPipeSumCategory" (cdr category)) (cons "ixPipeSizeMin" sizes))))
  (foreach table '(("tblPipeLabel" . "ixPipeLabel") ("tblPipeLinetype" . "ixPipeLinetype") ("tblPipeLinetypeText" . "ixPipeLinetypeText"))
    (ov-host-copy-rows (car table) (cdr table) "ixPipeType = ?" ixMimic (list (cons "ixPipeType" ixNew))))
  nil)

;; Removes the type and what refers to it: first the values and lookup rows that hang
;; on the type's sizing tables and flow categories, then every row with its ixPipeType,
;; the type's own row in tblPipeType last.
(defun plumb-deletePipeType (ix)
  (host-check-arguments "plumb-deletePipeType" "i" (list ix))
  (host-sql "DELETE FROM tblPipeSizingValue WHERE ixPipeSizingTable IN (SELECT ixPipeSizingTable FROM tblPipeSizingTable WHERE ixPipeType = ?)" ix)
  (host-sql "DELETE FROM tblPipeFlowLookup WHERE ixPipeSumCategory IN (SELECT ixPipeSumCategory FROM tblPipeSumCategory WHERE ixPipeType = ?)" ix)
  (foreach table (ov-host-column
                   (host-sql "SELECT m.name FROM sqlite_master m, pragma_table_info(m.name) c WHERE m.type = 'table' AND c.name = 'ixPipeType' ORDER BY m.name = 'tblPipeType', m.name"))
    (host-sql (strcat "DELETE FROM \"" table "\" WHERE ixPipeType = ?") ix))
  nil)

;;; ---- drawing valve symbols ----

;; Asks which stored symbol replaces the one deleted ("None" answers 0); answers the
;; deleted key and the replacement's.
;; Symbols deleted earlier in the same opening (the pairs' first keys) are not offered.
(defun util-deleteBlocks (ix kind app pairs / rows choice)
  (host-check-arguments "util-deleteBlocks" "issl" (list ix kind app pairs))
  (setq rows (ov-host-rows-without
               (host-sql "SELECT ixDwgValve, sDescription FROM tblDwgValve ORDER BY iSortOrder, ixDwgValve")
               (cons ix (mapcar 'car pairs))))
  (setq choice (host-list-prompt "Symbol to replace the deleted one:" (cons "None" (mapcar 'cadr rows))))
  (cond ((null choice) nil)
        ((= choice 0) (list ix 0))
        (T (list ix (car (nth (1- choice) rows))))))

;;; ---- fixture connection: the settings are kept between calls ----

(defun pipe-insertFixtureConnection-resetGlobal ()
  (host-check-arguments "pipe-insertFixtureConnection-resetGlobal" "" nil)
  (setq ov_plumb-fixtureConnectionFlows nil
        ov_plumb-fixtureConnectionGlobal nil))

;; Kept in the order getGlobal answers them: P-trap and transparent (-1 for a box
;; given as 1, else 0), pipe type, layer system, pipe size, sizing table, elevation and
;; floor choice.
(defun pipe-insertFixtureConnection-putGlobal (pipeType layerSystem pipeSize sizingTable elevation ptrap transparent floor)
  (host-check-arguments "pipe-insertFixtureConnection-putGlobal" "iiiiriii"
                        (list pipeType layerSystem pipeSize sizingTable elevation ptrap transparent floor))
  (setq ov_plumb-fixtureConnectionGlobal
         (list (if (= ptrap 1) -1 0) (if (= transparent 1) -1 0) pipeType layerSystem pipeSize sizingTable
               (float elevation) floor))
  nil)

(defun pipe-insertFixtureConnection-setGlobal-addPSC (flows)
  (host-check-arguments "pipe-insertFixtureConnection-setGlobal-addPSC" "l" (list flows))
  (setq ov_plumb-fixtureConnectionFlows (append ov_plumb-fixtureConnectionFlows flows))
  nil)

(defun pipe-insertFixtureConnection-getGlobal ()
  (host-check-arguments "pipe-insertFixtureConnection-getGlobal" "" nil)
  ov_plumb-fixtureConnectionGlobal)

;; The flow kept for a category, 0 when none was kept.
(defun pipe-insertFixtureConnection-getdValue (ix / kept)
  (host-check-arguments "pipe-insertFixtureConnection-getdValue" "i" (list ix))
  (setq kept (assoc ix ov_plumb-fixtureConnectionFlows))
  (if kept (float (cdr kept)) 0.0))

;;; ---- floors and areas ----

;; Pipes and pipe symbols lie in an area when they were placed in its drawing at its
;; alignment point; a riser or drop is a pipe whose ends meet in plan.
(setq ov-host-area-pipes
       "FROM tblAlignmentPointArea a, tblPipe p WHERE p.bDeleted = 0 AND p.sDrawing = a.sDrawing AND p.iAlignmentPointNumber = a.iAlignmentPointNumber"
      ov-host-area-valves
       "FROM tblAlignmentPointArea a, tblValveL v WHERE v.bDeleted = 0 AND v.sDrawing = a.sDrawing AND v.iAlignmentPointNumber = a.iAlignmentPointNumber"
      ov-host-risers
       " AND abs(p.dX1 - p.dX2) < 1e-6 AND abs(p.dY1 - p.dY2) < 1e-6 AND abs(p.dZ1 - p.dZ2) >= 1e-6")

(defun plumb-area-hasRisers (ix)
  (host-check-arguments "plumb-area-hasRisers" "i" (list ix))
  (if (host-sql (strcat "SELECT 1 " ov-host-area-pipes ov-host-risers " AND a.ixAlignmentPointArea = ?") ix) T))

;; The floor groups: each a chain of floors joined by ixFloorAbove, starting from a
;; floor that no floor has below it, as (name . key) pairs, the top floor first with
;; topFirst, the bottom floor first without; groups in the order of their bottom
;; floors' elevations.
(defun plumb-floor-getFloorGroups-order (topFirst / floors groups chain key seen)
  (host-check-arguments "plumb-floor-getFloorGroups-order" "*" (list topFirst))
  (setq floors (host-sql "SELECT ixFloor, sName, ixFloorAbove FROM tblFloor ORDER BY dElevation, ixFloor"))
  (foreach floor floors
    (if (not (host-sql "SELECT 1 FROM tblFloor WHERE ixFloorAbove = ?" (car floor)))
      (progn
        (setq chain nil
              key (car floor))
        (while (and key (assoc key floors) (not (member key seen)))
          (setq seen (cons key seen)
                chain (cons (cons (cadr (assoc key floors)) key) chain)
                key (caddr (assoc key floors))))
        (setq groups (cons (if topFirst chain (reverse chain)) groups)))))
  (reverse groups))

;; The area dialog's "Edit Floors. . .": the floors dialog on the area's floor; when
;; that floor is gone afterwards, its areas move to the lowest floor left.
(defun plumb-floors-withDefault (ix none / lowest)
  (host-check-arguments "plumb-floors-withDefault" "i*" (list ix none))
  (ov_plumb-editFloorDefinition ix)
  (if (not (host-sql "SELECT 1 FROM tblFloor WHERE ixFloor = ?" ix))
    (progn
      (setq lowest (car (car (host-sql "SELECT ixFloor FROM tblFloor ORDER BY dElevation, ixFloor LIMIT 1"))))
      (if lowest (host-sql "UPDATE tblAlignmentPointArea SET ixFloor = ? WHERE ixFloor = ?" lowest ix))))
  nil)

;; A floor can go while nothing is placed in its areas; otherwise the user is told why.
(defun plumb-floor-isOkToDelete (ix)
  (host-check-arguments "plumb-floor-isOkToDelete" "i" (list ix))
  (if (or (host-sql (strcat "SELECT 1 " ov-host-area-pipes " AND a.ixFloor = ?") ix)
          (host-sql (strcat "SELECT 1 " ov-host-area-valves " AND a.ixFloor = ?") ix))
    (progn (princ "\nPipes or pipe symbols lie in areas of this floor: it cannot be deleted.") nil)
    T))

;; The floors dialog keeps its grid here while the user picks in the drawing.
(defun plumb-floor-saveGrid (rows)
  (host-check-arguments "plumb-floor-saveGrid" "l" (list rows))
  (setq ov_plumb-floorGrid rows)
  nil)

;; Once: T and the rows, for the dialog that opens again after the pick; then the grid
;; is forgotten, so that the next opening starts from the project.
(defun plumb-floor-getGrid ( / rows)
  (host-check-arguments "plumb-floor-getGrid" "" nil)
  (setq rows ov_plumb-floorGrid
        ov_plumb-floorGrid nil)
  (if rows (cons T rows)))

(defun plumb-floor-selectDistance ()
  (host-check-arguments "plumb-floor-selectDistance" "" nil)
  (getdist "\nFloor elevation: "))

(defun plumb-floor-checkForRisers (ix)
  (host-check-arguments "plumb-floor-checkForRisers" "i" (list ix))
  (if (host-sql (strcat "SELECT 1 " ov-host-area-pipes ov-host-risers " AND a.ixFloor = ?") ix) T))

;;; ---- project explorer ----

;; A row of the project as "column: value" lines.
(defun ov-host-print-row (title names row)
  (princ (strcat "\n" title))
  (foreach name names
    (princ (strcat "\n  " name ": " (vl-princ-to-string (car row))))
    (setq row (cdr row))))

;; The entity of a placed pipe in the current drawing: the pipe whose ID is the key.
(defun ov-host-pipe-entity (ix / e found)
  (setq e (entnext))
  (while (and e (not found))
    (if (and (= (cdr (assoc 0 (entget e))) "OVPLUMBPIPE") (= (cdr (assoc 90 (entget e))) ix)) (setq found e))
    (setq e (entnext e)))
  found)

;; The explorer's "Query. . ." on a placed pipe (1) or valve (2): what the project
;; knows of it and, when its drawing is the one open, the entity's listing.
(defun projectExplorer-query-Plumb (ix devType / names row e)
  (host-check-arguments "projectExplorer-query-Plumb" "ii" (list ix devType))
  (if (= devType 1)
    (setq names '("ixPipe" "Pipe type" "Size" "Drawing" "Starting elevation" "Ending elevation")
          row (car (host-sql "SELECT p.ixPipe, t.sName, coalesce(s.sLabel, 'Sized automatically'), p.sDrawing, p.dZ1, p.dZ2 FROM tblPipe p LEFT JOIN tblPipeType t ON t.ixPipeType = p.ixPipeType LEFT JOIN tblPipeSize s ON s.ixPipeSize = p.ixPipeSize WHERE p.ixPipe = ?" ix)))
    (setq names '("ixValveL" "Callout" "Drawing" "Location")
          row (car (host-sql "SELECT v.ixValveL, s.sName, v.sDrawing, v.dX || ',' || v.dY || ',' || v.dZ FROM tblValveL v LEFT JOIN tblValveS s ON s.ixValveS = v.ixValveS WHERE v.ixValveL = ?" ix))))
  (if (null row)
    (princ (strcat "\nNothing in the project has the key " (itoa ix) "."))
    (progn
      (ov-host-print-row (if (= devType 1) "Pipe" "Pipe symbol") names row)
      (if (and (= devType 1) (= (strcase (nth 3 row)) (strcase (getvar "DWGNAME"))) (setq e (ov-host-pipe-entity ix)))
        (host-list e))))
  (terpri)
  nil)

;; The explorer's "Query. . ." on a callout: its row of the valve schedule.
(defun projectExplorer-querySchedule-Plumb (ix devType / row)
  (host-check-arguments "projectExplorer-querySchedule-Plumb" "ii" (list ix devType))
  (setq row (car (host-sql "SELECT s.sName, g.sName, d.sDescription, s.dFU, s.sScheduleNote1, s.sScheduleNote2, s.sScheduleNote3 FROM tblValveS s LEFT JOIN tblValveSGroup g ON g.ixValveSGroup = s.ixValveSGroup LEFT JOIN tblDwgValve d ON d.ixDwgValve = s.ixDwgValve WHERE s.ixValveS = ?" ix)))
  (if row
    (ov-host-print-row "Pipe symbol schedule entry" '("Name" "Group" "Symbol" "Fixture units" "Note 1" "Note 2" "Note 3") row)
    (princ (strcat "\nNo schedule entry has the key " (itoa ix) ".")))
  (terpri)
  nil)

;; The explorer's queries: the wanted column of the SELECT's rows, sorted by a column
;; (none when it is empty), each value once, after their count.
(defun plumb-projectExplorer_sqlQuery (sql sortColumn valueColumn / values)
  (host-check-arguments "plumb-projectExplorer_sqlQuery" "sss" (list sql sortColumn valueColumn))
  (foreach row (host-sql (strcat "SELECT \"" valueColumn "\" FROM (" sql ")"
                                 (if (= sortColumn "") "" (strcat " ORDER BY \"" sortColumn "\""))))
    (if (not (member (car row) values)) (setq values (cons (car row) values))))
  (cons (length values) (reverse values)))
;;; ---- sizing ----

;; Pipe ends (and an end and a run) closer than this, in drawing units, meet.
(setq ov-host-sizing-tolerance 0.1)

;; The project's pipe rows carry a column of this program's own: bSource (-1) marks
;; the pipe whose free end is its system's source.
(defun ov-host-ensure-source-column ()
  (if (not (host-sql "SELECT 1 FROM pragma_table_info('tblPipe') WHERE name = 'bSource'"))
    (host-sql "ALTER TABLE tblPipe ADD COLUMN bSource INTEGER NOT NULL DEFAULT 0")))

;; Marks the pipe ix as the source of its system, or with on nil takes the mark away.
(defun plumb-setSource (ix on)
  (host-check-arguments "plumb-setSource" "i*" (list ix on))
  (ov-host-ensure-source-column)
  (host-sql "UPDATE tblPipe SET bSource = ? WHERE ixPipe = ?" (if on -1 0) ix)
  ix)

;; The drawing's pipes, as (ENAME IXPIPE START END) each.
(defun ov-host-drawn-pipes ( / set i e data pipes)
  (if (setq set (ssget "X" '((0 . "OVPLUMBPIPE"))))
    (repeat (setq i (sslength set))
      (setq e (ssname set (setq i (1- i)))
            data (entget e)
            pipes (cons (list e (cdr (assoc 90 data)) (cdr (assoc 10 data)) (cdr (assoc 11 data))) pipes))))
  pipes)

;; One line per system: what it is, and what could not be done.
(defun ov-host-sizing-report (system / records)
  (setq records (cdr (assoc "records" system)))
  (princ (strcat "\n" (cdr (assoc "type" system)) ": " (itoa (cdr (assoc "pipes" system)))
                 (if (= (cdr (assoc "pipes" system)) 1) " pipe" " pipes")
                 (if (cdr (assoc "problem" system))
                   (strcat ", not sized: " (cdr (assoc "problem" system)))
                   (strcat " from pipe " (itoa (cdr (assoc "source" system))) ", "
                           (cdr (assoc "flow" system)) " at the source"))))
  (foreach record records
    (if (cdr (assoc "problem" record)) (princ (strcat "\n  " (cdr (assoc "problem" record)))))))

;; Sizes the systems of the current drawing from the project: each pipe's calculated
;; flows (tblPipeSum), distances and size (tblPipe), its label in the drawing, and the
;; schedule "<drawing>-schedule.csv" beside the drawing. Prints one line per system
;; and answers the schedule's path (nil when no system could be sized).
(defun plumb-sizeDrawing ( / result records keys sums spans sizes path file label)
  (host-check-arguments "plumb-sizeDrawing" "" nil)
  ; The module connects a drawing to its project when it first needs it; the label
  ; layer, which the new labels go on, is resolved through the project.
  (ov_plumb-getLayer "LABEL" 1)
  (ov-host-ensure-source-column)
  (setq result (host-size-pipes (ov-host-drawn-pipes) ov-host-sizing-tolerance))
  (if (not (or (car result) (cadr result))) (princ "\nThe drawing has no pipes to size."))
  (foreach system (car result)
    (ov-host-sizing-report system)
    (foreach record (cdr (assoc "records" system)) (setq records (cons record records))))
  (foreach left (cadr result)
    (princ (strcat "\npipe " (itoa (car left)) " left out: " (cdr left))))
  (setq records (reverse records))
  (foreach record records
    (setq keys (cons (list (cdr (assoc "ixPipe" record))) keys)
          spans (cons (list (cdr (assoc "farthest" record)) (cdr (assoc "fromSource" record))
                            (cdr (assoc "maxZ" record)) (cdr (assoc "ixPipe" record)))
                      spans))
    (foreach sum (cdr (assoc "carried" record))
      (if (/= (cdr sum) 0.0) (setq sums (cons (list (cdr (assoc "ixPipe" record)) (car sum) (cdr sum)) sums))))
    (if (cdr (assoc "sized" record))
      (setq sizes (cons (list (cdr (assoc "ixPipeSize" record)) (cdr (assoc "dSize" record))
                              (cdr (assoc "ixPipe" record)))
                        sizes)))
    (if (setq label (cdr (assoc "label" record)))
      (ov_plumb-setPipeInfo (cdr (assoc "entity" record)) (list "TEXT" label))))
  (host-sql-each "DELETE FROM tblPipeSum WHERE ixPipe = ? AND bFixed = 0" keys)
  (host-sql-each "INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) VALUES (?, ?, 0, ?)" (reverse sums))
  (host-sql-each "UPDATE tblPipe SET dDistanceToFarthestFixture = ?, dDistanceFromSource = ?, dMaxFixtureZ = ? WHERE ixPipe = ?" spans)
  (host-sql-each "UPDATE tblPipe SET ixPipeSize = ?, dSize = ? WHERE ixPipe = ?" sizes)
  (if records
    (progn
      (setq path (strcat (getvar "DWGPREFIX") (vl-filename-base (getvar "DWGNAME")) "-schedule.csv")
            file (open path "w"))
      (write-line "Pipe,Type,Floor,Total flow,Size,Length" file)
      (foreach record records
        (write-line (host-csv-line (mapcar '(lambda (key) (cdr (assoc key record)))
                                              '("ixPipe" "type" "floor" "totalFlow" "sizeLabel" "lengthText")))
                    file))
      (close file)
      (princ (strcat "\nSchedule: " path))))
  (terpri)
  path)

(defun c:plumb-size ()
  (plumb-sizeDrawing)
  (princ))
