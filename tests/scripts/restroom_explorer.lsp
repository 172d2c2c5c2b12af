; ovhost: --ui $SCRIPT_DIR/../../examples/restroom/explorer.ui $SCRIPT_DIR/../../examples/restroom/restroom.lsp
; setup: --new-project .
; The project explorer on the restroom demo's project, as `make demo` shows it: the
; pipe types, the restroom's floor and the cold water pipes in restroom.hdw.
(print (ov_plumb-ProjectExplorer 0 1 ""))
