; ovhost: --no-module
; exit: 1
; The LISP reader and printer end to end: what each kind of text reads as, the host's
; printed forms of reals, strings and symbols, and the messages for bad text.

(defun *error* (msg) (princ (strcat "error: " msg)) (terpri))
; A text, what `read` makes of it (its first form) and that form's type.
(defun r (source / form)
  (prin1 source) (princ " -> ")
  (setq form (read source))
  (prin1 form) (princ " ") (prin1 (type form)) (terpri))
; The character codes of a text, to see exactly what a string literal holds.
(defun codes (s / i out)
  (setq i (strlen s))
  (while (> i 0) (setq out (cons (ascii (substr s i 1)) out) i (1- i)))
  out)

; ---- numbers and symbols
(r "1") (r "-5") (r "+7") (r "1.5") (r ".5") (r "1e3") (r "-2.") (r "3000000000") (r "-.25") (r "2E-2")
(r "abc") (r "Foo-Bar") (r "1e") (r "-") (r "+.") (r "1.2.3") (r "c:ov_plumb-doToDo") (r "nil") (r "NIL") (r "t")
(r "1 (2) (3")

; ---- lists, pairs, quotes and comments
(r "(a (b . 2) ()) ; a comment")
(r "'x")
(r "'(1 . 2)")
(r ";| a block
comment |; (1 2 . 3)")
(prin1 '(x ;| inside a list |; y)) (terpri)

; ---- strings: escapes, octal codes, an unknown escape, UTF-8
(prin1 (codes "a\"b\\c\nd\te")) (terpri)
(prin1 (list (codes "\1011\102") (codes "\q") (codes "") (type ""))) (terpri)
(prin1 (codes "été €")) (terpri)

; ---- bad text
(r "(1 2")
(r "(a (b)")
(r ")")
(r "(1 . )")
(r "(. 1)")
(r ".")
(r "(1 . 2 3)")
(r "(1 . 2 . 3)")
(r "'.")
(r "\"abc")
(r "\"abc\\")
(r "'")
(r "(a ')")
(r ";| never closed")

; ---- printing: reals with six significant digits and always a point, prin1
; escaping and princ printing raw, print's newline before and space after
(prin1 (list 4.0 12.5 (/ 1.0 3) -2. 1e8 1.5e-7 123456.0 1234567.0 (/ 2.0 3) 0.0 (* 1e200 1e200))) (terpri)
(prin1 "a\"b\\c\nd") (terpri)
(princ "a\"b\\c") (terpri)
(princ '("x" 1.5 sym)) (prin1 '("x" 1.5 sym)) (terpri)
(print 5) (print "s") (terpri)
(prin1 (strcat "a" (chr 9) "b" (chr 1) (chr 27))) (terpri)
(princ (strcat "a" (chr 9) "b")) (terpri)
(prin1 (list (princ "q") (quote abc) '((1 2) "x" (a . b) (c . 1.5)) nil '(nil t))) (terpri)
(prin1 (lambda (x) x)) (terpri)
; With nothing to print, princ answers what prints as nothing.
(princ "[") (prin1 (princ)) (princ "]") (terpri)
