; ovhost: --no-module
; exit: 1
; The string and conversion functions of AutoLISP: one case a line, the text of the
; case then what it answers, or the error through *error*. Positions count from 0 in
; the vl-string functions. Comments say what each group of cases shows.

(defun check (case) (princ case) (princ " -> ") (prin1 (eval (read case))) (terpri))
(defun *error* (msg) (princ (strcat "error: " msg)) (terpri))

; vl-string-subst replaces the first occurrence only, case counts, and a start
; position skips what comes before it.
(check "(vl-string-subst \"Obi-wan\" \"Ben\" \"Ben Kenobi Ben\")")
(check "(vl-string-subst \"Obi-wan\" \"Ben\" \"ben Kenobi\")")
(check "(vl-string-subst \"Obi-wan\" \"Ben\" \"Ben \\\"Ben\\\" Kenobi\" 3)")
(check "(vl-string-subst \"x\" \"\" \"abc\")")
(check "(vl-string-subst \"x\" \"a\" \"abc\" 9)")
(check "(vl-string-subst 1 \"a\" \"abc\")")

; vl-string-search answers where the pattern starts, from a start position, or nil.
(check "(vl-string-search \"foo\" \"pfooyfoo\")")
(check "(vl-string-search \"foo\" \"pfooyfoo\" 2)")
(check "(vl-string-search \"bar\" \"pfooyfoo\")")
(check "(vl-string-search \"\" \"abc\")")
(check "(vl-string-search \"a\" \"abc\" -1)")

; The trim family takes the set's characters off both ends, the left or the right.
(check "(vl-string-trim \" \\t\\n\" \" \\t\\n  pipe run \\n\")")
(check "(vl-string-left-trim \" \\t\\n\" \" \\t\\n  pipe run \\n\")")
(check "(vl-string-right-trim \" \\t\\n\" \" \\t\\n  pipe run \\n\")")
(check "(vl-string-trim \"12\" \"1122abc2211\")")
(check "(vl-string-trim \"abc\" \"cabbac\")")
(check "(vl-string-trim \"\" \" a \")")

; vl-string-translate swaps each character of the source set for the one at the same
; place in the destination set; characters past its end stay.
(check "(vl-string-translate \"abcABC\" \"123123\" \"A is a, B is b, C is c\")")
(check "(vl-string-translate \"abc\" \"123\" \"A is a, B is b, C is c\")")
(check "(vl-string-translate \"abc\" \"1\" \"aabbcc\")")

; vl-string-position finds a character code, from the start or from the end.
(check "(vl-string-position (ascii \"z\") \"azbzlmnqc\")")
(check "(vl-string-position (ascii \"z\") \"azbzlmnqc\" nil T)")
(check "(vl-string-position (ascii \"z\") \"azbzlmnqc\" 2)")
(check "(vl-string-position (ascii \"x\") \"azbzc\")")
(check "(vl-string-position 92 \"c:\\\\dir\\\\file.lsp\" 0 T)")

; Character codes: vl-string-elt reads one and refuses a place outside the string;
; vl-string->list and vl-list->string go both ways; ascii of "" is 0.
(check "(vl-string-elt \"May the Force be with you\" 8)")
(check "(vl-string-elt \"abc\" 3)")
(check "(vl-string->list \"Pipe\")")
(check "(vl-list->string '(80 105 112 101))")
(check "(vl-list->string nil)")
(check "(vl-list->string '(80 \"i\"))")
(check "(list (ascii \"A\") (ascii \"\") (chr 97))")

; wcmatch, every piece of the pattern language: # digit, @ letter, . neither, * any
; run, ? one character, ~ not, [...] one of, [~...] none of, ranges, ` escapes,
; commas between patterns. Case counts.
(check "(wcmatch \"Name\" \"N*\")")
(check "(wcmatch \"Name\" \"n*\")")
(check "(wcmatch \"Name\" \"???,~*m*,N*\")")
(check "(wcmatch \"Name\" \"~N*\")")
(check "(wcmatch \"Name\" \"~X*\")")
(check "(wcmatch \"PIPE12\" \"@@@@##\")")
(check "(wcmatch \"PIPE1A\" \"@@@@##\")")
(check "(wcmatch \"2-3\" \"#.#\")")
(check "(wcmatch \"2a3\" \"#.#\")")
(check "(wcmatch \"this is a string - test1 test2\" \"*test[4-69]*\")")
(check "(wcmatch \"this is a string - test1 test2\" \"*test[4-61]*\")")
(check "(wcmatch \"BC\" \"[AB]C\")")
(check "(wcmatch \"XC\" \"[~AB]C\")")
(check "(wcmatch \"AC\" \"[~AB]C\")")
(check "(wcmatch \"~\" \"[A~]\")")
(check "(wcmatch \"-\" \"[-A]\")")
(check "(wcmatch \"]\" \"[]A]\")")
(check "(wcmatch \"Name\" \"*`,*\")")
(check "(wcmatch \"Smith, J\" \"*`,*\")")
(check "(wcmatch \"~AB\" \"`~AB\")")
(check "(wcmatch \"a*b\" \"a`*b\")")
(check "(wcmatch \"axb\" \"a`*b\")")
(check "(wcmatch \"\" \"\")")
(check "(wcmatch \"\" \"*\")")
(check "(wcmatch \"abc\" \"a*b*c*\")")
(check "(wcmatch \"ab\" \"a?b\")")
(check "(wcmatch 1 \"*\")")

; read takes the first form of a text; the printers into strings write as prin1 and
; princ would.
(check "(read \"(a . \\\"b\\\") c\")")
(check "(read \"12.5\")")
(check "(read \"\")")
(check "(read \"(1 2\")")
(check "(vl-prin1-to-string \"say \\\"hi\\\"\")")
(check "(vl-princ-to-string \"say \\\"hi\\\"\")")
(check "(vl-princ-to-string '(1 2.5 \"a\" b))")

; Symbols by name and value.
(setq pipe-size 50)
(check "(vl-symbol-name 'pipe-size)")
(check "(vl-symbol-value 'pipe-size)")
(check "(vl-symbol-value 'unset-symbol)")
(check "(list (vl-symbolp 'a) (vl-symbolp nil) (vl-symbolp \"a\") (vl-symbolp 1))")
(check "(vl-symbol-name \"a\")")

; rtos in every mode with the units of a new drawing (LUNITS 2, LUPREC 4, DIMZIN 0):
; feet and inches leave out zero feet and exactly zero inches; fractions are reduced.
(check "(rtos 17.5)")
(check "(list (rtos 17.5 1 4) (rtos 17.5 2 2) (rtos 17.5 3 2) (rtos 17.5 4 2) (rtos 17.5 5 2))")
(check "(list (rtos -17.5 3 2) (rtos -17.5 4 2) (rtos -17.5 5 2) (rtos -0.00001 2 2))")
(check "(list (rtos 24 3 2) (rtos 24 4 2) (rtos 5.5 3 2) (rtos 0.5 4 4) (rtos 0 4 2))")
(check "(list (rtos 11.999 3 2) (rtos 11.99 4 2) (rtos 17.4 4 0) (rtos 1.0 4 2))")
(check "(list (rtos 1234.5678 1 2) (rtos 0.000123 1 3) (rtos 2.0 5 8) (rtos 2.0039 5 8))")
(check "(rtos 1.0 6)")
(check "(rtos 1.0 2 -1)")
(check "(rtos \"1\")")

; DIMZIN: 1 keeps zero feet and inches, 2 zero feet only, 3 zero inches only, +4
; drops the zero before the point, +8 the zeros after the last digit. UNITMODE 1
; writes units as they are typed.
(setvar "DIMZIN" 1)
(check "(list (rtos 5.5 3 2) (rtos 24 3 2) (rtos 24 4 2) (rtos 0.5 4 2))")
(setvar "DIMZIN" 2)
(check "(list (rtos 5.5 3 2) (rtos 24 3 2))")
(setvar "DIMZIN" 3)
(check "(list (rtos 5.5 3 2) (rtos 24 3 2))")
(setvar "DIMZIN" 12)
(check "(list (rtos 0.5 2 4) (rtos 12.5 2 4) (rtos 3 2 4) (rtos 17.5 1 4) (rtos 17.5 3 4))")
(setvar "DIMZIN" 0)
(setvar "UNITMODE" 1)
(check "(list (rtos 17.5 3 2) (rtos 17.5 4 2) (rtos 17.5 5 2))")
(setvar "UNITMODE" 0)
; LUNITS and LUPREC are the defaults; out of range they are refused.
(setvar "LUNITS" 4)
(setvar "LUPREC" 3)
(check "(rtos 30.125)")
(check "(distof \"2'-6 1/8\\\"\")")
(setvar "LUNITS" 2)
(setvar "LUPREC" 4)
(setvar "LUNITS" 6)

; distof reads what rtos writes in the same mode, and what a user types; modes 3 and 4
; read each other's forms; anything else is nil.
(check "(list (distof \"1.7500E+01\" 1) (distof \"17.50\" 2) (distof \"1'-5.50\\\"\" 3) (distof \"1'-5 1/2\\\"\" 4) (distof \"17 1/2\" 5))")
(check "(list (distof \"1'-5 1/2\\\"\" 3) (distof \"1'5-1/2\\\"\" 4) (distof \"17-1/2\" 5) (distof \"-2'\" 4) (distof \"6\\\"\" 4))")
(check "(list (distof \"17.5\" 4) (distof \"1/2\" 5) (distof \" 12 \" 2))")
(check "(list (distof \"abc\") (distof \"1'-5\\\"\" 2) (distof \"1/0\" 5) (distof \"\" 4) (distof \"5'x\" 4))")
(check "(distof 17.5)")

; angtos in every unit; a negative angle is first brought into one turn; the
; precision of degrees/minutes/seconds picks the parts shown.
(check "(list (angtos 0.785398 0 4) (angtos -0.785398 0 4) (angtos -0.785398 4) (angtos (/ pi 2) 1 0))")
(check "(list (angtos 1.5708 1 6) (angtos 0.7854 1 2) (angtos 0.7854 1 4) (angtos pi 2 2) (angtos pi 3 4))")
(check "(list (angtos 0 4 2) (angtos (/ pi 2) 4) (angtos pi 4) (angtos (* 1.5 pi) 4) (angtos 2.0 4 4))")
(check "(list (angtos (* 2 pi) 0 2) (angtos (- (* 2 pi) 0.00001) 0 2) (angtos (* 3 pi) 0 0))")
(setvar "UNITMODE" 1)
(check "(angtos -0.785398 4)")
(setvar "UNITMODE" 0)
(check "(angtos 1 5)")

; angtof reads what angtos writes, into one turn ((angtof "45.0000" 3) is 45 radians,
; less seven turns).
(check "(list (angtof \"45.0000\") (angtof \"45.0000\" 3) (angtof \"90d0'0.76\\\"\" 1) (angtof \"200g\" 2))")
(check "(list (angtof \"S 45d E\" 4) (angtof \"N45d30'W\" 4) (angtof \"W\" 4) (angtof \"-90\" 0))")
(check "(list (angtof \"north\" 4) (angtof \"45x\" 0) (angtof \"N 95d E\" 4))")
