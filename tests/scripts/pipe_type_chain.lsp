; ovhost: --ui $SCRIPT_DIR/pipe_type_chain.ui
; setup: --new-project .
; From the pipe types on through the dialogs their buttons open, each storing what it
; shows before the next opens: a new type copied from cold water shows its copied sizes;
; storm, hidden below ductwork, has only the hidden row among the linetypes; linetypes
; are inserted, cleared, deleted and refused as the last of their layer system; label
; formats are edited, an empty isometric format staying empty.
(ov_plumb-getLayer "LABEL" 1)
(print (ov_plumb-pipeType))
(print (host-sql "SELECT ixPipeType, sName, bHidePipe FROM tblPipeType WHERE ixPipeType IN (5, 7)"))
(print (host-sql "SELECT count(*) FROM tblPipeSize WHERE ixPipeType = 7"))
(foreach row (host-sql "SELECT ixPipeLinetype, ixLayerSystem, sLinetype, sLinetype = ' ', dMinimumLength FROM tblPipeLinetype WHERE ixPipeType = 2 ORDER BY ixLayerSystem, dMinimumLength, ixPipeLinetype") (print row))
(foreach row (host-sql "SELECT ixLayerSystem, sLinetypeText, bLinetypeTextRotateTo0 FROM tblPipeLinetypeText WHERE ixPipeType = 2 ORDER BY ixLayerSystem") (print row))
(defun labels () (host-sql "SELECT ixPipeType, ixLayerSystem, sLabelFormat, quote(sLabelFormatIsometric) FROM tblPipeLabel WHERE ixPipeType IN (1, 2) ORDER BY ixPipeType, ixLayerSystem"))
(foreach row (labels) (print row))
(ov_plumb-pipeLabel)
(print (assoc 1 (cdr (labels))))
