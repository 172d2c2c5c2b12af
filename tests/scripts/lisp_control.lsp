; ovhost: --no-module
; exit: 1
; Control and symbols in AutoLISP: catching errors with vl-catch-all-apply, a user's
; *error* function (global, or a routine's own local one), exit, atoms-family,
; boundp, set, eval, function and vl-load-com. Comments say what each group shows.

(defun show (label value) (princ label) (prin1 value) (terpri))

; vl-catch-all-apply answers the call's value, or an error object for a call that
; failed; the error is not printed and does not stop the form. Its message is what
; "; error:" would have shown.
(setq ok (vl-catch-all-apply '+ '(1 2 3)))
(setq failed (vl-catch-all-apply '/ '(1 0)))
(show "value: " ok)
(show "error object: " failed)
(show "its type: " (type failed))
(show "error-p: " (list (vl-catch-all-error-p ok) (vl-catch-all-error-p failed) (vl-catch-all-error-p nil)))
(show "message: " (vl-catch-all-error-message failed))
(show "lambda, deep error: " (vl-catch-all-error-message (vl-catch-all-apply '(lambda (x) (car (cdr x))) '(5))))
(show "function form: " (vl-catch-all-apply (function (lambda (a b) (strcat a b))) '("pi" "pe")))
(show "unknown function: " (vl-catch-all-error-message (vl-catch-all-apply 'no-such-fn nil)))
(show "nested: " (vl-catch-all-error-p (vl-catch-all-apply 'vl-catch-all-apply '(/ (1 0)))))
(show "an error object is itself only: " (list (eq failed failed) (equal failed (vl-catch-all-apply '/ '(1 0)))))
; What it refuses: a list of arguments that is no list, and a message of no error.
(vl-catch-all-apply '+ 5)
(vl-catch-all-error-message "divide by zero")

; Without *error*, a failing form prints "; error: ..." on a line of its own.
(princ "before")
(car 5)
; The user's *error* is called with the message instead.
(defun *error* (msg) (princ (strcat "*error* saw: " msg)) (terpri))
(car 5)
(+ 1 "x")
; A caught error does not reach *error*.
(show "caught: " (vl-catch-all-error-message (vl-catch-all-apply 'car '(5))))
; A routine's own *error*, declared local as routines do, is called while the routine's
; variables are still bound, and the global one is back afterwards.
(defun c:tidy (/ *error* saved)
  (setq saved "layer 0")
  (defun *error* (msg) (princ (strcat "tidy restores " saved " after: " msg)) (terpri))
  (/ 10 0))
(c:tidy)
(show "global handler back: " (= (type *error*) 'USUBR))
; An error inside a called function is reported once, by the handler in force.
(defun inner () (strcat "a" 1))
(defun outer () (inner) (princ "not reached"))
(outer)
; exit and quit end a routine as the error "quit / exit abort".
(defun c:stop () (princ "stopping ") (exit) (princ "not reached"))
(c:stop)
(quit)
; An error in *error* itself is printed plainly, once.
(defun *error* (msg) (car msg))
(car 5)
; Runaway recursion is reported where the handler has room to run.
(defun *error* (msg) (princ (strcat "*error* saw: " msg)) (terpri))
(defun down (n) (+ 1 (down n)))
(down 1)
(setq *error* nil)
(princ "after") (terpri)

; atoms-family: format 0 answers symbols, 1 names; with a list of names, nil for each
; that has no value. Without the list it answers every symbol with a value.
(setq pipe-count 3)
(show "named: " (atoms-family 1 '("PIPE-COUNT" "car" "NO-SUCH-SYMBOL")))
(show "as symbols: " (atoms-family 0 '("pipe-count")))
(show "all has car and pi: " (and (member "CAR" (atoms-family 1)) (member 'PI (atoms-family 0)) T))
(show "a set symbol comes and goes: "
      (list (not (member "FRESH-ONE" (atoms-family 1)))
            (progn (setq fresh-one 1) (and (member "FRESH-ONE" (atoms-family 1)) T))
            (progn (setq fresh-one nil) (atoms-family 1 '("FRESH-ONE")))))
(atoms-family 2)
(atoms-family 1 '(car))

; boundp, set and eval.
(show "boundp: " (list (boundp 'pipe-count) (boundp 'no-such-symbol) (boundp 'car)))
(show "set: " (list (set (read "built-name") 42) built-name (set 'pipe-count (+ pipe-count 1)) pipe-count))
(show "eval: " (list (eval '(+ 1 2)) (eval 'pipe-count) (eval 7) (eval (list 'strcat "a" "b"))))
(set "pipe-count" 1)
(boundp 5)

; function quotes a lambda or a name for mapcar and friends as ' does.
(show "function: " (list (mapcar (function 1+) '(1 2)) (mapcar (function (lambda (x) (* x x))) '(3 4))))
(show "vl-load-com: " (vl-load-com))
