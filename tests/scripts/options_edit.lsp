; ovhost: --ui $SCRIPT_DIR/options_edit.ui
; exit: 1
; setup: --new-project .
; The options dialog on a new project: the first run changes settings and presses OK;
; the second shows what was stored (the method greys the diameter, the browser
; proposes the stored block) and cancels; a missing database file answers nil.
(print (ov_plumb-options "BLOCKS/" "pipe-breakWidth" T))
(print (ov_plumb-options "BLOCKS/" "pipe-breakWidth" T))
(print (ov_plumb-options "BLOCKS/" "" nil "missing.ov"))
(print (ov_plumb-options 7))
; What the first run stored, as the project file holds it.
(foreach row (host-sql "SELECT sKey, bNumeric, dNumber, sText FROM tblGlobal WHERE sKey IN (?, ?, ?) ORDER BY sKey"
                       "pipe-breakWidth" "pipe-verticalMethod" "pipe-leaderBlock")
  (print row))
