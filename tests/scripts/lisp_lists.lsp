; ovhost: --no-module
; exit: 1
; The list functions of AutoLISP as routines call them: one case a line, the text of
; the case then what it answers, or the error through *error*. Comments say what each
; group of cases shows.

(defun check (case) (princ case) (princ " -> ") (prin1 (eval (read case))) (terpri))
(defun *error* (msg) (princ (strcat "error: " msg)) (terpri))

; subst replaces every top-level item equal to the old one (strings and lists by
; value), not items inside sublists; the list must be a list.
(check "(subst 'x 2 '(1 2 3 2))")
(check "(subst \"B\" \"b\" '(\"a\" \"b\"))")
(check "(subst '(10 5.0 0.0) '(10 1.0 2.0) '((8 . \"0\") (10 1.0 2.0)))")
(check "(subst 9 2 '(1 (2) 3))")
(check "(subst 1 2 nil)")
(check "(subst 1 2 3)")

; vl-sort orders by the comparison given as a symbol, a quoted lambda or (function
; ...); it drops repeated integers and symbols, but keeps equal reals and strings,
; which are separate values.
(check "(vl-sort '(3 2 1 3) '<)")
(check "(vl-sort '(\"b\" \"a\" \"b\") '<)")
(check "(vl-sort '(2.5 1.0 2.5) '<)")
(check "(vl-sort '((1 3) (2 2) (3 1)) (function (lambda (e1 e2) (< (cadr e1) (cadr e2)))))")
(check "(vl-sort '(a d c b a) '(lambda (s1 s2) (< (vl-symbol-name s1) (vl-symbol-name s2))))")
(check "(vl-sort nil '<)")
; A comparison that is no order at all, or one that fails halfway, ends cleanly.
(check "(vl-sort '(5 1 4 2 3) '(lambda (a b) T))")
(check "(length (vl-sort '(5 1 4 2 3 8 7 6) '<=))")
(check "(vl-sort '(1 \"a\" 2) '<)")
(check "(vl-sort 5 '<)")

; vl-sort-i answers positions and keeps every item; equal items come last one first.
(check "(vl-sort-i '(\"a\" \"d\" \"f\" \"c\") '>)")
(check "(vl-sort-i '(3 2 1 3) '<)")
(check "(vl-sort-i '(a d c b a) '(lambda (s1 s2) (< (vl-symbol-name s1) (vl-symbol-name s2))))")

; acad_strlsort orders strings alphabetically, case aside, and answers nil for a list
; that holds anything else.
(check "(acad_strlsort '(\"Tuesday\" \"monday\" \"Friday\" \"a\" \"B\" \"A\"))")
(check "(acad_strlsort '(\"a\" 1))")
(check "(acad_strlsort nil)")

; The predicate functions take a symbol or a lambda; -if-not turns the test over.
(check "(vl-remove-if 'vl-symbolp '(1 a \"b\" c))")
(check "(vl-remove-if-not 'vl-symbolp '(1 a \"b\" c))")
(check "(vl-remove-if '(lambda (x) (> x 2)) '(1 5 2 7))")
(check "(vl-member-if 'minusp '(1 -2 3 -4))")
(check "(vl-member-if-not 'numberp '(1 2 \"x\" 4))")
(check "(vl-member-if 'minusp '(1 2))")
(check "(vl-remove-if 'nosuch '(1))")
(check "(vl-member-if 'numberp '(1 . 2))")

; vl-some answers the first answer that is not nil, vl-every T when none is nil; both
; walk several lists side by side to the end of the shortest.
(check "(vl-some '(lambda (x) (if (> x 2) (* x 10))) '(1 3 5))")
(check "(vl-some '= '(1 2 3) '(3 2 1))")
(check "(vl-some 'minusp '(1 2))")
(check "(vl-every 'numberp '(1 2.0 3))")
(check "(vl-every '< '(1 2) '(2 3 0))")
(check "(vl-every '< '(1 5) '(2 3))")
(check "(vl-every 'minusp nil)")

; vl-position and vl-remove compare by value; vl-remove takes every copy out.
(check "(vl-position \"b\" '(\"a\" \"b\" \"b\"))")
(check "(vl-position '(1 2) '(0 (1 2)))")
(check "(vl-position 9 '(1 2))")
(check "(vl-remove 2 '(1 2 3 2))")
(check "(vl-remove \"a\" '(\"a\" \"b\"))")

; vl-list* ends the list with its last argument, so an atom makes a dotted pair;
; vl-list-length is nil for a dotted list; vl-consp is true for a cons only.
(check "(vl-list* 1)")
(check "(vl-list* 1 2)")
(check "(vl-list* 1 2 '(3 4))")
(check "(vl-list-length '(1 2 3))")
(check "(vl-list-length '(1 2 . 3))")
(check "(vl-list-length nil)")
(check "(vl-list-length 5)")
(check "(list (vl-consp nil) (vl-consp '(1)) (vl-consp '(1 . 2)) (vl-consp \"a\"))")

; Every c[ad]r form of up to four letters is there; a step into an atom is an error.
(setq deep '(((1 2) 3) (4 5) 6 7))
(check "(list (car deep) (cadr deep) (caddr deep) (cadddr deep))")
(check "(list (caar deep) (cdar deep) (caaar deep) (cdaar deep) (cadar deep) (cddar deep))")
(check "(list (caadr deep) (cdadr deep) (cddddr deep) (cadadr deep) (caaadr (quote (0 ((9))))))")
(check "(cadddr '(1 2 3))")
(check "(caddr '(1 . 2))")
(check "(car)")
