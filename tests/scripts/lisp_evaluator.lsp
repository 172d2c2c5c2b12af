; ovhost: --no-module
; exit: 1
; The host LISP end to end: functions with locals, recursion, the loops, cond, the
; printed forms of values, and errors that stop only the form they happen in.

(defun fact (n) (if (<= n 1) 1 (* n (fact (1- n)))))
(princ "fact 10: ") (prin1 (fact 10)) (terpri)

(defun fib (n) (cond ((< n 2) n) (T (+ (fib (- n 1)) (fib (- n 2))))))
(princ "fib: ") (prin1 (mapcar 'fib '(0 1 2 3 10 20))) (terpri)

; A local hides the global of the same name and gives it back afterwards.
(setq counter 100)
(defun count-up (n / counter)
  (setq counter 0)
  (while (< counter n) (setq counter (1+ counter)))
  counter)
(princ "locals: ") (prin1 (list (count-up 5) counter)) (terpri)

(setq total 0)
(repeat 4 (setq total (+ total 2.5)))
(princ "repeat: ") (prin1 total) (terpri)

(setq names nil)
(foreach w '("pipe" "trap" "vent") (setq names (cons (strcase w) names)))
(princ "foreach: ") (prin1 names) (terpri)

(defun size-class (d)
  (cond ((< d 50) "small")
        ((< d 100) "medium")
        (T "large")))
(princ "cond: ") (prin1 (mapcar 'size-class '(32 75 150))) (terpri)

(princ "reals: ") (prin1 (list 4.0 12.5 (/ 1.0 3) -2.0 1e8 (sqrt 2) (sqrt 0))) (terpri)
(princ "integers: ") (prin1 (list (/ 7 2) (rem 7 2) (+ 1 2.0) (fix 3.9))) (terpri)
(princ "strings: ") (prin1 "say \"hi\" at C:\\pipes") (terpri)
(princ "princ:   ") (princ "say \"hi\" at C:\\pipes") (terpri)
(princ "pairs: ") (prin1 '((a . 1) (b 2 3) ("c" . 4.5) nil T)) (terpri)

(princ "before errors") (terpri)
(car 5)
(princ "after the first error") (terpri)
(undefined-function 1 2)
(/ 1 0)
(princ "still going: ") (prin1 (strcat "a" "b")) (terpri)

(defun *error* (msg) (princ (strcat "handled: " msg)) (terpri))
(+ 1 "x")
(setq *error* nil)
(princ "done") (terpri)
