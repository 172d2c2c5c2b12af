; ovhost: --ui $SCRIPT_DIR/fixture_example.ui $SCRIPT_DIR/../../examples/fixture_connection/fixture_connection.lsp
; setup: --new-project .
; The fixture-connection example as a user runs it: the settings chosen in the dialog,
; the point given at the prompt; the pipe it inserts, as the drawing lists it, and the
; project's rows for it. A cancelled dialog inserts nothing.
(setq pipe (c:fixture-connection))
(host-list pipe)
(print (host-draw pipe))
(print (host-sql "SELECT ixPipe, ixPipeType, ixLayerSystem, ixPipeSize, ixPipeSizingTable, dZ1, dX1, dY1, dY2, bPTrap FROM tblPipe"))
(print (host-sql "SELECT ixPipe, ixPipeSumCategory, bFixed, dValue FROM tblPipeSum"))
(print (c:fixture-connection))
