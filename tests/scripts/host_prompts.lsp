; ovhost: --ui $SCRIPT_DIR/host_prompts.ui
; exit: 1
; setup: --new-project .
; The input functions and the list prompt answered from a file: a text that is not a
; number is asked again, @ points are relative to the base, keywords answer by their
; start, feet and inches or two points (with fractions) read as inches, Escape is "Function
; cancelled"; the host program's mimic chooser offers the project's pipe types but
; those left out.
(print (getreal "\nFloor height: "))
(print (getpoint "\nBase point: "))
(print (getpoint '(1.0 1.0 0.0) "\nNext point: "))
(initget 1 "Yes No")
(print (getkword "\nKeep? [Yes/No]: "))
(print (getint "\nCount: "))
(print (getdist "\nDistance: "))
(print (getdist "\nPipe run: "))
;; A point entered (a click in the desktop view enters one) is a distance from the
;; base point, or without one from a first point to a second.
(print (getdist '(1.0 1.0 0.0) "\nTo: "))
(print (getdist "\nFrom: "))
;; Without a file, read-line and read-char read the next input too; read-char hands
;; out one character at a time and the end of the line as 10.
(print (read-line))
(print (list (read-char) (read-char) (read-char)))
(print (getstring T "\nName: "))
(print (getreal "\nCancelled: "))
(print (host-list-prompt "Pick a fruit:" '("Apple" "Pear")))
(print (host-list-prompt "Pick again:" '("Apple" "Pear")))
;; The module opens the drawing's project on its first call that needs it.
(ov_plumb-getLayer "LABEL" 1)
(setq types (host-sql "SELECT ixPipeType, sName FROM tblPipeType ORDER BY iSortOrder, ixPipeType"))
(setq mimic (plumb-createPipeType-chooseMimic (list (car (car types)))))
(print (= mimic (car (assoc mimic types))))
(print (cadr (assoc mimic types)))
