; ovhost: --no-module --load $PLUGIN
; exit: 1
; A registered function answering RSERR is the LISP error "ADS request error": the
; form stops there, the script goes on with its next form.
(setq before 1)
(setq result (list "not" (ovtest-fail)))
(prin1 result)
(terpri)
(princ "the script goes on")
(terpri)
(defun *error* (message) (princ (strcat "handled: " message)) (terpri))
(ovtest-fail)
(setq *error* nil)
(princ "done")
(terpri)
