; exit: 1
; setup: --new-project .
; ov_plumb-setPipeInfo as the LISP program calls it: every key with its value, the
; lists that change nothing, and what the pipe then files and draws.
(defun show (label expr) (princ label) (prin1 (eval expr)) (terpri))
(defun groups (e codes / d out)
  (setq d (entget e))
  (foreach c codes (setq out (append out (list (assoc c d)))))
  out)
(terpri)
(setq text-layer (ov_plumb-getLayer "CW" 1))
(setq hidden-layer (ov_plumb-getLayer "V" nil))
(setq p (ov_plumb-insertPipe 7 '(0 0 10) '(100 0 10)))
(show "numbers, flags, texts: "
      '(ov_plumb-setPipeInfo p '("OFFSETDISTANCE" 1.5) '("TAILOFFSET" 2) '("HEADOFFSET" 2.5)
         '("ELBOW45OFFSET" 3.5) '("ARCRADIUS" 4.5) '("PTRAPWIDTH" 5.5) '("ixPipe" 42)
         '("DWGSTART" T) '("DWGEND" 1) '("ELBOW45" T) '("TEE45" "yes") '("ELBOWARC" nil)
         '("TEEARC" T) '("ISOMETRIC" T) '("DWG" "Level 2")))
(show "filed: " '(groups p '(10 11 40 41 42 44 45 46 90 91 92 290 291 292 293 294)))
(show "dZ2 alone: " '(ov_plumb-setPipeInfo p '("dZ2" 12.5)))
(show "ends: " '(groups p '(10 11)))
(show "dZ1, P1 and P2: " '(ov_plumb-setPipeInfo p '("dZ1" 9) '("P2" (100.0 0.0 8.0)) '("P1" (0.0 0.0 10.0))))
(show "ends: " '(groups p '(10 11)))
(show "elbows, the pair of length 0 dropped: "
      '(ov_plumb-setPipeInfo p '("ELBOWLIST" 3.0 0.785 0 1.57 2.0 -0.785)))
(show "elbow list: " '(ov_plumb-pipe-elbowList p))
(show "arcs, a text stepped over: " '(ov_plumb-setPipeInfo p '("ARCLIST" 1.5 "x" 10.0 -1 0 3.0 1)))
(show "arc list: " '(ov_plumb-pipe-arcList p))
(show "two TEXT lists: " '(ov_plumb-setPipeInfo p '("TEXT" "A") '("TEXT" "B") '("TEXTHEIGHT" 2.0)))
(show "the label gap of B once drawn: " '(progn (host-draw p) (cdr (assoc 43 (entget p)))))
(show "TEXTLAYER, TEXTSTYLE, HIDDENLAYER: "
      '(ov_plumb-setPipeInfo p (list "TEXTLAYER" text-layer) '("TEXTSTYLE" "Standard")
         (list "HIDDENLAYER" hidden-layer) '("ISOMETRIC" nil) '("ELBOWLIST") '("ARCLIST")))
(show "label and hidden layers drawn: "
      '(mapcar '(lambda (x) (list (car x) (cadr x))) (host-draw p)))
(show "a missing TEXTLAYER and HIDDENLAYER: "
      '(ov_plumb-setPipeInfo p '("TEXTLAYER" "NoSuchLayer") '("HIDDENLAYER" "NoSuchLayer")))
(show "label back on the pipe's layer, hidden kept: "
      '(mapcar '(lambda (x) (list (car x) (cadr x))) (host-draw p)))
(show "PTRAP with a value: " '(progn (ov_plumb-setPipeInfo p '("PTRAP" T)) (cdr (assoc 295 (entget p)))))
(show "PTRAP with none: " '(progn (ov_plumb-setPipeInfo p '("PTRAP")) (cdr (assoc 295 (entget p)))))
(ov_plumb-setPipeInfo p '("TEXT" "") '("HIDDENLAYER" "0") '("TEXTDISTANCE" 30))
(show "no label, hidden copies on layer 0: " '(host-draw p))
(show "vertical in plan: "
      '(ov_plumb-setPipeInfo p '("P2" (0.0 0.0 0.0)) '("VERTICALTYPE" "DOWN") '("VERTICALRADIUS" 4)
         '("VERTICALANGLELIST" 0.0 3.14159265 "stop" 1.0)))
(show "down symbol: " '(host-draw p))
(show "VERTICALTYPE in lower case: " '(ov_plumb-setPipeInfo p '("VERTICALTYPE" "up")))
(show "still down: " '(length (host-draw p)))
(show "UP: " '(progn (ov_plumb-setPipeInfo p '("VERTICALTYPE" "UP")) (host-draw p)))
(show "unknown keys, loose items, a list without a key: "
      '(ov_plumb-setPipeInfo p '("NOSUCHKEY" 1) 5 "loose" '(7 "TEXT" "C") '("verticaltype" "DOWN")))
(show "unchanged: " '(length (host-draw p)))
(show "no pipe: " '(ov_plumb-setPipeInfo))
(show "a number for the pipe: " '(ov_plumb-setPipeInfo 5 '("TEXT" "A")))
(show "a layer name for the pipe: " '(ov_plumb-setPipeInfo text-layer))
