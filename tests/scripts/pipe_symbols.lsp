; ovhost: --ui $SCRIPT_DIR/pipe_symbols.ui
; exit: 1
; setup: --new-project .
; shell: mkdir symbols && touch symbols/GATE.dwg symbols/CHECK.dwg symbols/BALL.dwg && cp "Project ov_plumb.ov" other.ov
; shell: sqlite3 other.ov "INSERT INTO tblDwgValve (ixDwgValve, iSortOrder, sDescription, sBlockName, bToScale) VALUES (1, 1, 'Gate Valve', 'GATE', 0), (2, 2, 'Check Valve', 'CHECK', 0), (3, 3, 'Ball Valve', 'BALL', 0); INSERT INTO tblValveM (ixValveM, ixDwgValve) VALUES (21, 1), (22, 2);"
; The pipe symbol blocks. Four symbols (gate, check, ball, plug) and a valve on each.
; New copies the last row and takes a free description; a block is chosen from the
; symbol folder; a symbol never stored goes without asking the host. Deleting gate for
; check, then check for ball re-points gate's valves to ball; plug deleted for none
; leaves its valve alone. All of it is written on OK only. The folder is required.
(ov_plumb-getLayer "LABEL" 1)
(host-sql "INSERT INTO tblDwgValve (ixDwgValve, iSortOrder, sDescription, sBlockName, bToScale) VALUES (1, 1, 'Gate Valve', 'GATE', 0), (2, 2, 'Check Valve', 'CHECK', -1), (3, 3, 'Ball Valve', 'BALL', 0), (4, 4, 'Plug', 'PLUG', 0)")
(host-sql "INSERT INTO tblValveS (ixValveS, ixDwgValve, sName) VALUES (11, 1, 'A'), (12, 2, 'B'), (13, 3, 'C'), (14, 4, 'D')")
(defun symbols () (host-sql "SELECT ixDwgValve, iSortOrder, sDescription, sBlockName, bToScale FROM tblDwgValve ORDER BY iSortOrder"))
(defun valves () (host-sql "SELECT sName, ixDwgValve FROM tblValveS ORDER BY sName"))
(print (ov_plumb-tblDwgValve "symbols/"))
(foreach row (symbols) (print row))
(print (valves))
; Cancelled after a delete the host confirmed: nothing is written.
(setq before (list (symbols) (valves)))
(ov_plumb-tblDwgValve "symbols/")
(print (equal before (list (symbols) (valves))))
(host-sql "INSERT INTO tblValveS (ixValveS, ixDwgValve, sName) VALUES (15, 5, 'E')")
(ov_plumb-tblDwgValve "symbols/")
(print (list (symbols) (valves)))
(print (ov_plumb-tblDwgValve))
; On a database opened from a path the valves re-pointed are its tblValveM rows: the
; second opening shows them while the host is asked about a delete.
(ov_plumb-tblDwgValve "symbols/" "other.ov")
(defun util-deleteBlocks (ix kind app pairs)
  (print (list "tblValveM" (host-sql "SELECT ixValveM, ixDwgValve FROM tblValveM ORDER BY ixValveM")))
  nil)
(ov_plumb-tblDwgValve "symbols/" "other.ov")
