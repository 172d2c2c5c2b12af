; ovhost: --ui $SCRIPT_DIR/options_show.ui
; setup: --new-project .
; What the options dialog shows: a new project's settings; numbers to four decimals, a
; number row without its number as 0, a missing row empty, yes/no capitalised with only
; YES as yes. The vertical method greys its rows ("Not to scale" the minimum, "To scale"
; both, "To scale with minimum" the diameter, none nothing); a greyed row takes no edit
; and keeps what was typed before.
(ov_plumb-getLayer "LABEL" 1)
(print (ov_plumb-options "BLOCKS/"))
(host-sql "UPDATE tblGlobal SET dNumber = 2.125 WHERE sKey = 'pipe-breakWidth'")
(host-sql "UPDATE tblGlobal SET dNumber = NULL WHERE sKey = 'pipe-arcRadius'")
(host-sql "UPDATE tblGlobal SET dNumber = 0.333333 WHERE sKey = 'pipe-leaderSize'")
(host-sql "UPDATE tblGlobal SET sText = 'yes' WHERE sKey = 'stackedFractions'")
(host-sql "DELETE FROM tblGlobal WHERE sKey IN ('PTRAP-WIDTH', 'pipe-verticalMethod')")
(print (ov_plumb-options "BLOCKS/"))
(foreach row (host-sql "SELECT sKey, dNumber, sText FROM tblGlobal WHERE sKey LIKE 'pipe-vertical%' ORDER BY sKey")
  (print row))
