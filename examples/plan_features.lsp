; A small plumbing plan with every feature a pipe draws: gaps where pipes cross, repeated
; labels, fitting ticks, elbow legs, arcs (hops), a riser and a drop symbol, a P-trap
; and hidden copies on their own layer. It writes plan_features.svg (and keeps the
; drawing as plan_features.hdw) in the folder it runs in.
;
; Run it from an empty folder (the project gives it its layers):
;   build/release/bin/ovhost -q --new-project .
;   build/release/bin/ovhost -q path/to/examples/plan_features.lsp
(setq cold (ov_plumb-getLayer "CW" 1))
(setq hot (ov_plumb-getLayer "HW" 1))
(setq vent (ov_plumb-getLayer "V" nil))
(setq hidden (ov_plumb-getLayer "NOSUCH" 2))

; The cold water main: broken where the hot branch crosses it, labelled every 40,
; ticked at both ends, with an elbow leg and a hop at its far end.
(setq main (ov_plumb-insertPipe 1 '(0 0 10) '(160 0 10)))
(ov_plumb-setPipeInfo main '("TEXT" "2\" CW") '("TEXTHEIGHT" 2.5) '("TEXTDISTANCE" 40.0)
  (list "TEXTLAYER" cold) '("TICKWIDTH" 3.0) '("TICKOFFSETHEAD" 4.0) '("TICKOFFSETTAIL" 4.0)
  '("ELBOWLIST" 12.0 1.5707963) '("ARCRADIUS" 5.0) '("ARCLIST" 2.0 25.0 1)
  (list "HIDDENLAYER" hidden))
(ov_plumb-setPipeBreaks main 4.0 '("crossings" 60.0 62.0 110.0))
(ov_plumb-pipe-setElbowBreaks main '(("e" 0 6.0)))

; The hot branch crosses the main and turns right through a hop near its end.
(setq branch (ov_plumb-insertPipe 2 '(60 -40 10) '(60 70 10)))
(ov_plumb-setPipeInfo branch '("TEXT" "1\" HW") '("TEXTHEIGHT" 2.0) (list "TEXTLAYER" hot)
  '("ARCRADIUS" 6.0) '("ARCLIST" 1.2 20.0 -1) '("OFFSETDISTANCE" 1.0) (list "HIDDENLAYER" hidden))

; A fixture arm ending in a P-trap whose curve is broken by a passing pipe.
(setq arm (ov_plumb-insertPipe 6 '(80 -25 10) '(100 -25 10)))
(ov_plumb-setPipeInfo arm '("PTRAP" T) '("PTRAPWIDTH" 8.0) (list "HIDDENLAYER" hidden))
(ov_plumb-pipe-setPtrapPolylineBreaks arm '("x" 6.0))

; A sloped vent with a drop line at its end and a label kept horizontal.
(setq sloped (ov_plumb-insertPipe 3 '(110 -40 12) '(140 -10 9)))
(ov_plumb-setPipeInfo sloped '("TEXT" "VTR") '("TEXTHEIGHT" 2.0) '("TEXTANGLEIS0" T))

; A riser and a drop with two openings where pipes leave it.
(setq riser (ov_plumb-insertPipe 4 '(20 -30 0) '(20 -30 10) 5.0))
(setq drop (ov_plumb-insertPipe 5 '(140 30 10) '(140 30 0) 6.0))
(ov_plumb-setPipeInfo drop '("VERTICALTYPE" "DOWN") '("VERTICALANGLELIST" 1.5707963 3.1415926))

(host-export-svg "plan_features.svg")
(host-save "plan_features.hdw")
(princ "\nwrote plan_features.svg")
(terpri)
