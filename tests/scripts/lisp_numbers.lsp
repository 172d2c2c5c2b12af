; ovhost: --no-module
; exit: 1
; The number functions of AutoLISP: one case a line, the text of the case then what
; it answers, or the error through *error*. Integers have 32 bits and wrap around as
; the host's do. Comments say what each group of cases shows.

(defun check (case) (princ case) (princ " -> ") (prin1 (eval (read case))) (terpri))
(defun *error* (msg) (princ (strcat "error: " msg)) (terpri))

; gcd of two integers above 0.
(check "(list (gcd 81 57) (gcd 12 20) (gcd 7 7) (gcd 1 2147483647))")
(check "(gcd 0 5)")
(check "(gcd 12 -4)")
(check "(gcd 12 4.0)")
(check "(gcd 12)")

; boole picks each result bit from the operator's truth table: 1 AND, 6 XOR, 7 OR,
; 8 NOR (which sets every bit both integers lack), 0 nothing, 15 everything; more
; integers combine from the left.
(check "(list (boole 1 12 5) (boole 6 6 5) (boole 7 12 5) (boole 8 12 5) (boole 0 12 5) (boole 15 12 5))")
(check "(list (boole 2 12 5) (boole 4 12 5) (boole 1 7 6 12) (boole 7 1 2 4))")
(check "(boole 1 12)")
(check "(boole 1 1.0 2)")

; logand and logior take any number of integers, 0 for none; ~ is the complement.
(check "(list (logand 7 15 3) (logand 2 3 15) (logand 8 3 4) (logand) (logand 5))")
(check "(list (logior 1 2 4) (logior 9 3) (logior) (logior -2147483648 1))")
(check "(list (~ 5) (~ -1) (~ 0) (~ 2147483647))")
(check "(logand 1 \"2\")")
(check "(~ 1.5)")

; lsh shifts left for a positive count and right for a negative one, zeros coming in
; at either end; bit 31 is the sign; the count goes modulo 32.
(check "(list (lsh 2 1) (lsh 2 -1) (lsh 40 2) (lsh 16384 1) (lsh 1 31) (lsh 1 32) (lsh 1 33))")
(check "(list (lsh -1 -28) (lsh -2147483648 -31) (lsh 5 0) (lsh 5) (lsh))")

; expt stays integral for two integers, truncating a negative power as / does, and
; wraps like *; a real on either side gives a real.
(check "(list (expt 2 4) (expt 3.0 2.0) (expt 2 -1) (expt -1 -3) (expt 1 -5) (expt 2 0.5))")
(check "(list (expt 2 31) (expt 2 32) (expt 10 10) (expt -2 3))")
(check "(expt 0 -1)")
(check "(expt \"2\" 2)")

; exp and log are natural; log of zero or less has no value.
(check "(list (exp 0) (exp 1) (exp -1) (log 1) (log (exp 2)) (log 10))")
(check "(exp 1000)")
(check "(log 0)")
(check "(log -1)")

; minusp, zerop and numberp: only numbers are asked about; reals and integers alike.
(check "(list (minusp -1) (minusp -0.5) (minusp 0) (minusp 3))")
(check "(list (zerop 0) (zerop 0.0) (zerop -0.0) (zerop 1e-300) (zerop 1))")
(check "(list (numberp 1) (numberp 1.5) (numberp \"1\") (numberp nil) (numberp 'a))")
(check "(minusp \"1\")")
(check "(zerop nil)")

; Integer overflow wraps around 32 bits; a literal beyond them reads as a real; a real
; joining the arithmetic keeps it real.
(check "(list (+ 2147483647 1) (- -2147483648 1) (* 65536 65536) (* 2147483647 2))")
(check "(list (1+ 2147483647) (1- -2147483648) (abs -2147483648) (- -2147483648))")
(check "(list 2147483647 2147483648 -2147483648 -2147483649)")
(check "(list (+ 2147483647 1.0) (* 65536 65536.0) (/ 7 2) (/ -7 2) (/ 7 2.0))")
(check "(rem -2147483648 -1)")
