; ovhost: --ui $SCRIPT_DIR/options_store.ui
; setup: --new-project .
; What the options dialog stores in the project: Cancel and Escape nothing; OK every row
; under its own key, a number as the leading number of its text, the 3D circle
; approximation whole and at least 8, yes/no in capitals (an empty one NO), a new row
; with its row's kind and a stored row keeping its own; the choices only where offered.
(ov_plumb-getLayer "LABEL" 1)
(defun settings () (host-sql "SELECT sKey, bNumeric, dNumber, sText FROM tblGlobal ORDER BY sKey"))
(defun setting (key) (car (host-sql "SELECT bNumeric, dNumber, sText FROM tblGlobal WHERE sKey = ?" key)))
(setq before (settings))
(print (ov_plumb-options "BLOCKS/"))
(print (ov_plumb-options "BLOCKS/"))
(print (equal (settings) before))
; Every row typed or picked, then OK: each value under its row's key.
(print (ov_plumb-options "BLOCKS/"))
(foreach row (settings) (print row))
; A stored row keeps its kind; missing rows are made with their row's.
(host-sql "DELETE FROM tblGlobal WHERE sKey IN ('PTRAP-WIDTH', 'linetypeFile', 'DrawHangers3D')")
(host-sql "UPDATE tblGlobal SET bNumeric = 0, dNumber = NULL, sText = 'wide' WHERE sKey = 'pipe-textDistance'")
(host-sql "UPDATE tblGlobal SET sText = 'yes' WHERE sKey = 'stackedFractions'")
(ov_plumb-options "BLOCKS/")
(foreach key '("PTRAP-WIDTH" "linetypeFile" "DrawHangers3D" "pipe-breakWidth" "pipe-textDistance" "stackedFractions")
  (print (cons key (setting key))))
(host-sql "UPDATE tblGlobal SET bNumeric = -1, dNumber = 3, sText = NULL WHERE sKey = 'linetypeFile'")
(ov_plumb-options "BLOCKS/")
(print (setting "PTRAP-WIDTH"))
(print (setting "linetypeFile"))
; The approximation as typed: 5, 12.7, none, -20.
(repeat 4
  (ov_plumb-options "BLOCKS/")
  (print (setting "3DApproximation")))
(print (setting ""))
