; ovhost: --no-module --load $PLUGIN
; exit: 1
; LISP values crossing to a plug-in and back, beyond plugin_resbuf_chain.lsp and
; plugin_invoke.lsp: points and dotted lists inside lists, symbols going as their
; names, entity names, functions that cannot go at all, and every kind of value a
; LISP function answers to acedInvoke.

(defun echo (x) x)
(defun show (label value) (princ label) (prin1 value) (terpri))

(ovtest-args '((1 "x") ((2 3 4 5)) ((1 2) (3 4.5 5))) '(1 2 . 3) '(1 . 2) '(a b) -32769)
(setq line (ovtest-add-line '(0 0) '(1 1)))
(ovtest-args line (list line))
(princ "a function cannot go:\n")
(ovtest-args 1 "a" car)
(princ "what acedInvoke answers:\n")
(foreach value (list '(1 ("a" . 2)) '((1) ("x")) '("a" . 1) nil T "x" 70000 2.5 '(1.0 2.0) '(1 2 3))
  (show "  " (ovtest-invoke "echo" value)))
(show "  the same entity: " (eq (ovtest-invoke "echo" line) line))
(princ "too few arguments for the function invoked:\n")
(ovtest-invoke "echo")
(princ "setq, a form of the language itself, cannot be invoked:\n")
(ovtest-invoke "setq" "x" 1)
