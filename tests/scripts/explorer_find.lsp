; ovhost: --ui $SCRIPT_DIR/explorer_find.ui $SCRIPT_DIR/../../examples/restroom/restroom.lsp $SCRIPT_DIR/../../examples/project_explorer/find_in_drawing.lsp
; setup: --new-project .
; The restroom example keeps its pipes in the project; from a new drawing the explorer
; finds one of them: the example opens restroom.hdw and lists the pipe there. Exit
; finds nothing.
(host-open "elsewhere.hdw")
(print (getvar "DWGNAME"))
(setq pipe (c:find-in-project))
(print (list (getvar "DWGNAME") (cdr (assoc 90 (entget pipe)))))
(print (c:find-in-project))
