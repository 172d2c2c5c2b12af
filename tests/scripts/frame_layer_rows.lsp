; setup: --new-project .
; Layer keys of rows added to the project: a key missing in its system falls back on the
; system's default silently; a key whose layer row is gone is told and answers "0"; nil
; and 0 both mean the null system, which has no default of its own. The rows are read
; when the project connects.
(defun show (label expr) (princ label) (prin1 (eval expr)) (terpri))
(ov_plumb-getLayer "LABEL" 1)
(host-sql "DELETE FROM tblLayerKey WHERE ixLayerSystem IS NULL")
(host-sql "INSERT INTO tblLayer (sName, bRGBColor, iColor, sLinetype, bPlot, sLineweight) VALUES ('P-NULL', 0, 2, 'CONTINUOUS', -1, '25')")
(host-sql "INSERT INTO tblLayerKey (ixLayerSystem, ixLayer, sKey) VALUES (NULL, (SELECT max(ixLayer) FROM tblLayer), 'NULLKEY'), (1, 987654, 'ORPHAN')")
(ov_plumb-disconnect)
(terpri)
(show "a key the system lacks: " '(ov_plumb-getLayer "NOSUCHKEY" 1))
(show "a key without its layer: " '(ov_plumb-getLayer "ORPHAN" 1))
(show "the null system as nil: " '(ov_plumb-getLayer "NULLKEY" nil))
(show "the null system as 0: " '(ov_plumb-getLayer "NULLKEY" 0))
(show "a null system key in system 1: " '(ov_plumb-getLayer "NULLKEY" 1))
(show "the null system has no default: " '(ov_plumb-getLayer "CW" nil))
(show "made with its colour: " '(cdr (assoc 62 (tblsearch "LAYER" "P-NULL"))))
