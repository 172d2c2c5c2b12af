; ovhost: --ui $SCRIPT_DIR/fixture_connection.ui
; setup: --new-project .
; The fixture-connection dialog and the host program's calls, recorded in order. With
; no stored settings it opens on the first pipe type, elevation 0, the automatic size
; and "Same as Previous"; Cancel calls nothing and answers nil; OK answers T after
; reset, put and the flows, and the next opening shows what was left. Only -1 from the
; host ticks a box.
(ov_plumb-getLayer "LABEL" 1)
(setq host-reset pipe-insertFixtureConnection-resetGlobal host-put pipe-insertFixtureConnection-putGlobal
      host-flows pipe-insertFixtureConnection-setGlobal-addPSC host-get pipe-insertFixtureConnection-getGlobal
      host-flow pipe-insertFixtureConnection-getdValue)
(defun pipe-insertFixtureConnection-resetGlobal () (print '("reset")) (host-reset))
(defun pipe-insertFixtureConnection-putGlobal (a b c d e f g h) (print (list "put" a b c d e f g h)) (host-put a b c d e f g h))
(defun pipe-insertFixtureConnection-setGlobal-addPSC (flows) (print (list "flows" flows)) (host-flows flows))
(defun pipe-insertFixtureConnection-getGlobal () (print (list "get" (host-get))) (host-get))
(defun pipe-insertFixtureConnection-getdValue (ix) (print (list "flow of" ix (host-flow ix))) (host-flow ix))
(print (ov_plumb-insertFixtureConnection))
(print (ov_plumb-insertFixtureConnection))
(print (ov_plumb-insertFixtureConnection))
(setq ov_plumb-fixtureConnectionGlobal (list 1 -1 1 1 0 0 0.0 0))
(print (ov_plumb-insertFixtureConnection))
