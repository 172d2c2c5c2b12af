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

(defun pipeSumCategory-convertFlow (ix)
  (host-check-arguments "pipeSumCategory-convertFlow" "i" (list ix))
  0.0)

(defun plumb-pipeSum-StaticValues (a b c)
  (host-check-arguments "plumb-pipeSum-StaticValues" "rrr" (list a b c))
  (list "" ""))

(defun pipe-query-elevationTileCheck (ix)
  (host-check-arguments "pipe-query-elevationTileCheck" "i" (list ix))
  0)

(defun plumb-customization-project-editPipeSumCategory ()
  (host-check-arguments "plumb-customization-project-editPipeSumCategory" "" nil)
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

(defun plumb-newPipeType (ixNew ixMimic)
  (host-check-arguments "plumb-newPipeType" "ii" (list ixNew ixMimic))
  nil)

;; Removes what refers to the type from every table but tblPipeType itself, whose row
;; the pipe-type dialog deletes: first the values and lookup rows that hang on the
;; type's sizing tables and flow categories, then every row with its ixPipeType.
(defun plumb-deletePipeType (ix)
  (host-check-arguments "plumb-deletePipeType" "i" (list ix))
  (host-sql "DELETE FROM tblPipeSizingValue WHERE ixPipeSizingTable IN (SELECT ixPipeSizingTable FROM tblPipeSizingTable WHERE ixPipeType = ?)" ix)
  (host-sql "DELETE FROM tblPipeFlowLookup WHERE ixPipeSumCategory IN (SELECT ixPipeSumCategory FROM tblPipeSumCategory WHERE ixPipeType = ?)" ix)
  (foreach table (ov-host-column
                   (host-sql "SELECT m.name FROM sqlite_master m, pragma_table_info(m.name) c WHERE m.type = 'table' AND c.name = 'ixPipeType' AND m.name <> 'tblPipeType'"))
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

(defun plumb-area-hasRisers (ix)
  (host-check-arguments "plumb-area-hasRisers" "i" (list ix))
  nil)

(defun plumb-floor-getFloorGroups-order (topFirst)
  (host-check-arguments "plumb-floor-getFloorGroups-order" "*" (list topFirst))
  nil)

(defun plumb-floors-withDefault (ix)
  (host-check-arguments "plumb-floors-withDefault" "i" (list ix))
  nil)

(defun plumb-floor-isOkToDelete (ix)
  (host-check-arguments "plumb-floor-isOkToDelete" "i" (list ix))
  T)

;; The floors dialog keeps its grid here while the user picks in the drawing.
(defun plumb-floor-saveGrid (rows)
  (host-check-arguments "plumb-floor-saveGrid" "l" (list rows))
  (setq ov_plumb-floorGrid rows)
  nil)

(defun plumb-floor-getGrid ()
  (host-check-arguments "plumb-floor-getGrid" "" nil)
  ov_plumb-floorGrid)

(defun plumb-floor-selectDistance ()
  (host-check-arguments "plumb-floor-selectDistance" "" nil)
  (getdist "\nFloor elevation: "))

(defun plumb-floor-checkForRisers (ix)
  (host-check-arguments "plumb-floor-checkForRisers" "i" (list ix))
  nil)

;;; ---- project explorer ----

(defun projectExplorer-query-Plumb (a b)
  (host-check-arguments "projectExplorer-query-Plumb" "ii" (list a b))
  nil)

(defun projectExplorer-querySchedule-Plumb (a b)
  (host-check-arguments "projectExplorer-querySchedule-Plumb" "ii" (list a b))
  nil)

(defun plumb-projectExplorer_sqlQuery (a b c)
  (host-check-arguments "plumb-projectExplorer_sqlQuery" "sss" (list a b c))
  (list 0))
