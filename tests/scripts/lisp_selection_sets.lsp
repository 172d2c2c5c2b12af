; ovhost: --no-module
; exit: 1
; Selection sets over the current drawing: ssget "X" with filter lists (type, layer,
; colour, wild cards, relational tests, the logical groups), the set functions, and
; entmod and entupd on the plain entities. Entities are shown by their handles, which
; do not change from run to run. Comments say what each group shows.

(defun show (label value) (princ label) (prin1 value) (terpri))
(defun handle (ename) (cdr (assoc 5 (entget ename))))
; The handles of a set's members, in the set's order; nil for no set.
(defun handles (ss / i all)
  (setq i 0)
  (if ss (repeat (sslength ss) (setq all (cons (handle (ssname ss i)) all) i (1+ i))))
  (reverse all))
(defun sel (filter) (handles (ssget "X" filter)))
(defun sel-mode (mode) (handles (ssget mode '((0 . "ARC")))))

; The drawing: lines and circles on two layers (entmake makes a layer it is given),
; colours by layer and set, an arc, and a polyline.
(entmake '((0 . "LINE") (8 . "PLUMB-CW") (10 0 0 0) (11 100 0 0)))
(setq cw1 (entlast))
(entmake '((0 . "LINE") (8 . "PLUMB-CW") (62 . 1) (10 0 10 0) (11 40 10 0)))
(setq cw2 (entlast))
(entmake '((0 . "LINE") (8 . "Plumb-HW") (62 . 3) (10 0 20 0) (11 60 20 0)))
(setq hw1 (entlast))
(entmake '((0 . "CIRCLE") (8 . "PLUMB-CW") (10 5 5 0) (40 . 2.0)))
(setq c2 (entlast))
(entmake '((0 . "CIRCLE") (8 . "FIXTURES") (62 . 1) (10 50 5 0) (40 . 6.0)))
(setq c6 (entlast))
(entmake (list '(0 . "ARC") '(8 . "PLUMB-HW") '(10 0 0 0) '(40 . 3.0) '(50 . 0.0) (cons 51 pi)))
(setq arc (entlast))
(entmake '((0 . "POLYLINE") (8 . "0") (10 0.0 0.0 0.0) (70 . 0) (10 0 0) (10 10 0) (10 10 5)))
(setq pl (entlast))
(show "handles: " (mapcar 'handle (list cw1 cw2 hw1 c2 c6 arc pl)))
(show "the layers were made: " (mapcar '(lambda (n) (cdr (assoc 2 (tblsearch "LAYER" n)))) '("PLUMB-CW" "PLUMB-HW" "FIXTURES")))

; ssget "X" without a filter takes every entity in drawing order; a set prints as
; a numbered selection set and is of type PICKSET.
(setq everything (ssget "X"))
(show "everything: " (handles everything))
(show "type: " (type everything))
(show "prints as: " (vl-prin1-to-string (ssadd)))

; Tests all hold together; type and layer are wild-card patterns in any case; an
; entity with no colour group is colour 256 (by layer).
(show "lines: " (sel '((0 . "LINE"))))
(show "lines on PLUMB-CW: " (sel '((0 . "LINE") (8 . "PLUMB-CW"))))
(show "layer in small letters: " (sel '((8 . "plumb-cw"))))
(show "wild cards: " (sel '((8 . "PLUMB-*") (0 . "~CIRCLE"))))
(show "commas: " (sel '((0 . "ARC,CIRCLE"))))
(show "colour 1: " (sel '((62 . 1))))
(show "by layer: " (sel '((62 . 256))))
(show "nothing: " (ssget "X" '((0 . "TEXT"))))

; Relational tests apply to the group after them; points take one operator per
; coordinate; "&" and "&=" test bits of an integer group.
(show "radius >= 3: " (sel '((-4 . ">=") (40 . 3.0))))
(show "radius < 3: " (sel '((0 . "CIRCLE") (-4 . "<") (40 . 3.0))))
(show "colour not 1: " (sel '((-4 . "!=") (62 . 1))))
(show "start x > 0 and y = 5: " (sel '((0 . "CIRCLE") (-4 . ">,=,*") (10 10.0 5.0 0.0))))
(show "end at x 100: " (sel '((-4 . "=,*,*") (11 100.0 0.0 0.0))))
(show "a vertex at (10 5): " (sel '((0 . "POLYLINE") (-4 . "=,=") (10 10.0 5.0))))
(show "colour bits 1: " (sel '((-4 . "&") (62 . 1))))
(show "colour bits all of 3: " (sel '((-4 . "&=") (62 . 3))))
(show "anything goes: " (sel '((0 . "ARC") (-4 . "*") (40 . 0.0))))

; Logical groups: AND and OR of one or more tests, XOR of exactly two, NOT of one;
; they nest, and their names ignore case.
(show "circles of radius 2 or lines on HW: "
      (sel '((-4 . "<OR") (-4 . "<AND") (0 . "CIRCLE") (40 . 2.0) (-4 . "AND>")
                          (-4 . "<AND") (0 . "LINE") (8 . "PLUMB-HW") (-4 . "AND>") (-4 . "OR>"))))
(show "red xor circle: " (sel '((-4 . "<XOR") (62 . 1) (0 . "CIRCLE") (-4 . "XOR>"))))
(show "not on PLUMB-*: " (sel '((-4 . "<not") (8 . "PLUMB-*") (-4 . "not>"))))
(show "or inside not: " (sel '((-4 . "<NOT") (-4 . "<OR") (0 . "LINE") (0 . "CIRCLE") (-4 . "OR>") (-4 . "NOT>"))))

; Filters ssget refuses: unbalanced or mismatched groups, a NOT of two tests, an XOR
; of one, an unknown operator, a value of the wrong kind, extended data; and the
; modes that pick on screen, which need a view.
(ssget "X" '((-4 . "<OR") (0 . "LINE")))
(ssget "X" '((-4 . "<OR") (0 . "LINE") (-4 . "AND>")))
(ssget "X" '((0 . "LINE") (-4 . "OR>")))
(ssget "X" '((-4 . "<NOT") (0 . "LINE") (0 . "ARC") (-4 . "NOT>")))
(ssget "X" '((-4 . "<XOR") (0 . "LINE") (-4 . "XOR>")))
(ssget "X" '((-4 . "<>=") (62 . 1)))
(ssget "X" '((62 . "red")))
(ssget "X" '((8 . 1)))
(ssget "X" '((-3 ("APP"))))
(ssget "X" '(0 . "LINE"))
(ssget "W" '(0 0) '(10 10))
(ssget)
(show "the mode may carry the underscore of untranslated input: " (sel-mode "_X"))

; The set functions: sslength, ssname (nil past the end, a real index too), ssadd of
; a new set or to a set (once), ssdel (nil when not a member), ssmemb.
(setq ss (ssget "X" '((0 . "LINE"))))
(show "sslength: " (sslength ss))
(show "ssname: " (list (handle (ssname ss 0)) (handle (ssname ss 2.0)) (ssname ss 3) (ssname ss -1)))
(setq mine (ssadd))
(show "empty set: " (sslength mine))
(show "ssadd to it: " (eq (ssadd c2 mine) mine))
(ssadd c2 mine)
(ssadd arc mine)
(show "twice, once: " (handles mine))
(show "ssadd of one: " (handles (ssadd pl)))
(show "ssmemb: " (list (handle (ssmemb arc mine)) (ssmemb cw1 mine)))
(show "ssdel: " (list (handles (ssdel c2 mine)) (ssdel c2 mine)))
; A set is one value: what ssadd does through one name, the other sees.
(setq alias mine)
(ssadd cw1 alias)
(show "shared: " (handles mine))
(sslength "not a set")
(ssname ss "0")
(ssadd "not a name" mine)

; entmod changes the groups it is given and keeps the others; a layer it names is
; made; the entity keeps its name and handle; one undo takes the change back.
(setq data (entget cw1))
(show "entmod: " (equal (entmod (subst '(11 250.0 0.0 0.0) (assoc 11 data) (subst '(8 . "PLUMB-NEW") (assoc 8 data) data))) 
                        (subst '(11 250.0 0.0 0.0) (assoc 11 data) (subst '(8 . "PLUMB-NEW") (assoc 8 data) data))))
(show "changed: " (list (cdr (assoc 8 (entget cw1))) (cdr (assoc 11 (entget cw1))) (cdr (assoc 10 (entget cw1))) (handle cw1)))
(show "the set follows: " (sel '((8 . "PLUMB-NEW"))))
; A list with only the name and the new groups is enough; a colour the entity lacked
; is added.
(entmod (list (cons -1 pl) '(62 . 5) '(10 0.0 0.0 0.0) '(10 1.0 1.0 0.0)))
(show "polyline: " (list (cdr (assoc 62 (entget pl))) (vl-remove-if-not '(lambda (g) (= (car g) 10)) (entget pl))))
(host-undo)
(show "undone: " (list (cdr (assoc 62 (entget pl))) (vl-remove-if-not '(lambda (g) (= (car g) 10)) (entget pl))))
; What entmod refuses: another type (nil), a list without a name, a bad group,
; extended data.
(show "another type: " (entmod (list (cons -1 c2) '(0 . "LINE"))))
(show "unchanged: " (cdr (assoc 0 (entget c2))))
(entmod '((0 . "LINE") (8 . "0")))
(entmod (list (cons -1 c2) '(40 . "big")))
(entmod (list (cons -1 c2) '(-3 ("APP" (1000 . "x")))))
; entupd has no screen to bring up to date; it answers the name.
(show "entupd: " (eq (entupd c2) c2))
(entupd "x")
