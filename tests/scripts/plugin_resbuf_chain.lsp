; ovhost: --no-module --load $PLUGIN
; The result-buffer chain a registered function receives for each kind of LISP value:
; two or three numbers travel as a point, other lists bracketed, a dotted pair with
; RTDOTE, integers beyond 16 bits as RTLONG.
(setq count (ovtest-args 1 2.5 "a" '(1 2) '(1 2 3) '(1 2 3 4) '("a" . 5) nil T))
(princ "buffers: ")
(princ count)
(terpri)
(ovtest-args 70000 -70000 32767 32768 -32768)
(princ "no arguments: ")
(princ (ovtest-args))
(terpri)
(ovtest-args '(1 (2 "x")) '((1 . 2)) (list 1.5 2 3) '("x" "y"))
