; Every shape of token the reader knows.
(setq i 42 r -1.5e-3 s "tab\there \"quoted\" back\\slash\nnew" q 'sym d '(a . b))
(list 1 +2 -3 .5 5. 1e3 -2E-2 3000000000 "" "\e\001" nil T)
'(nested (list (of (lists) 1 2) "x") . tail)
(lambda (x / y) (setq y (* x x)) y)
; a comment (with parens
(princ "ünïcødé ✓")
