; ovhost: --ui $SCRIPT_DIR/options_key.ui
; exit: 1
; setup: --new-project .
; What ov_plumb-options answers: the key selected last (by a click or an edit; a section
; gives "") or else the key it was given, after OK or Cancel; the given key's row is
; selected at the start. The block folder must be a text; an optional argument of
; another kind is stepped over. A database file of the caller's is worked on in place
; of the drawing's project; a drawing whose folder has no project shows no dialog.
(print (ov_plumb-options "B/" "pipe-arcRadius"))
(print (ov_plumb-options "B/" "pipe-arcRadius"))
(print (ov_plumb-options "B/"))
(print (ov_plumb-options "B/"))
(print (ov_plumb-options "B/" "pipe-arcRadius"))
(print (ov_plumb-options "B/" "no such key" T))
(print (ov_plumb-options "B/" 5 T))
(print (ov_plumb-options "B/" nil "x"))
(print (ov_plumb-options))
(vl-mkdir "elsewhere")
(host-open "elsewhere/plan.hdw")
(print (ov_plumb-options "B/"))
(print (ov_plumb-options "B/" "pipe-breakWidth" nil (strcat (getvar "DWGPREFIX") "../Project ov_plumb.ov")))
(host-activate "Drawing1.hdw")
(print (host-sql "SELECT dNumber FROM tblGlobal WHERE sKey = 'pipe-breakWidth'"))
