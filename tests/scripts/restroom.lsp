; ovhost: $SCRIPT_DIR/../../examples/restroom/restroom.lsp
; setup: --new-project .
; The restroom example on a new project (it runs first): the crossings it finds on
; pipes whose geometry is worked out by hand, what those pipes draw with their breaks,
; and the saved drawing read back with the same pipes, arrows and drawings.
(defun show (label value) (princ label) (prin1 value) (terpri))
(defun r3 (v) (/ (fix (+ (* v 1000) (if (< v 0) -0.5 0.5))) 1000.0))
(defun pts (lst) (mapcar '(lambda (p) (mapcar 'r3 p)) lst))
(defun polylines (e / out)
  (foreach p (host-draw e) (if (= (car p) "POLYLINE") (setq out (cons (pts (caddr p)) out))))
  (reverse out))
(defun first-n (n lst) (if (and lst (> n 0)) (cons (car lst) (first-n (1- n) (cdr lst)))))
; the recorded pipe that starts at a plan point
(defun pipe-at (x y / found)
  (foreach r *pipes* (if (equal (plan2 (rec-start r)) (list x y) 1e-9) (setq found (rec-ename r))))
  found)
(defun break-points (e / r)
  (setq r (rec-of e))
  (mapcar '(lambda (d) (mapcar 'r3 (polar (plan2 (rec-start r)) (rec-angle r) d))) (sort-numbers (breaks-of e))))

(terpri)
(princ "-- crossings on pipes worked out by hand")
(terpri)
; The sanitary main from (-12,72) is crossed once, by the vent stack's leg at x = 0.
(setq san-main (pipe-at -12.0 72.0))
(show "sanitary main breaks: " (sort-numbers (breaks-of san-main)))
(show "  at: " (break-points san-main))
; Lavatory 1's waste branch at x = 42 runs north from y 72 under the vent main (84),
; the cold main (96) and the hot main (108), all higher than it.
(setq lav1-waste (pipe-at 42.0 72.0))
(show "lavatory 1 waste breaks: " (sort-numbers (breaks-of lav1-waste)))
(show "  at: " (break-points lav1-waste))
; Its 45-degree leg from (42,106) to (48,112) passes under the hot main at (44,108).
(show "  its elbow leg: " (mapcar 'r3 (elbow-breaks-of lav1-waste)))
; Lavatory 1's cold branch at x = 68 (z 100) passes under the hot main (z 104).
(show "lavatory 1 cold branch breaks: " (break-points (pipe-at 68.0 96.0)))
; Its hot branch at x = 64 starts on the hot main and crosses nothing.
(show "lavatory 1 hot branch breaks: " (breaks-of (pipe-at 64.0 108.0)))
; The mains cross nothing lower than themselves.
(show "cold main breaks: " (breaks-of (pipe-at 0.0 96.0)))
(show "hot main breaks: " (breaks-of (pipe-at 0.0 108.0)))
; Each lavatory trap hangs from y 109 to 106 across the hot main at y 108: two hits,
; 1 below the curve's start on each side of its symmetric U (the curve is 9.428 long,
; so the second lies at 9.428 - 1.019). The urinal's trap is beyond the hot main.
(foreach trap (reverse *traps*)
  (princ (strcat "trap at x " (rtos (car (rec-end (rec-of trap))) 2 0) ": "))
  (prin1 (mapcar 'r3 (trap-breaks-of trap "polyline")))
  (terpri))

(princ "-- what those pipes draw")
(terpri)
; Pieces start 6 in from the elbow at (-12,72) and stop 1.5 either side of x = 0; the
; second stops at its label, centred on 1.5 to 228 (x 114.75), half of width 6 x 1.8
; plus height 3 before it: 107.85.
(show "sanitary main, first pieces: " (first-n 2 (polylines san-main)))
; Gaps of 3 about y 84 and 96; the piece after the second gap runs to the lower edge
; of the third (106.5), and the end set back 6 from the corner (y 106) lies inside that
; gap, so nothing follows it. The drop line rises at y 106 to the trap arm's 18; then
; the 45-degree leg, broken 1.5 either side of 2*sqrt(2) along it.
(show "lavatory 1 waste: " (polylines lav1-waste))

(princ "-- the saved drawing read back")
(terpri)
(defun without-names (groups / out)
  (foreach g groups (if (not (member (car g) '(-1 330))) (setq out (cons g out))))
  (reverse out))
; A pipe is drawn before its groups are taken: the label gap (group 43) is measured
; on the drawn label.
(defun snapshot (/ e out drawn)
  (setq e (entnext))
  (while e
    (if (= (cdr (assoc 0 (entget e))) "OVPLUMBPIPE")
      (setq drawn (host-draw e) out (cons (list (without-names (entget e)) drawn) out)))
    (if (= (cdr (assoc 0 (entget e))) "OVPLUMBPIPEARROW")
      (setq out (cons (list (without-names (entget e)) (ov_plumb-pipe-getHangerList e)) out)))
    (setq e (entnext e)))
  (reverse out))
(setq before (snapshot))
(host-close)
(host-open "restroom.hdw")
(terpri)
(setq after (snapshot))
(show "pipes and arrows before: " (length before))
(show "after reopening: " (length after))
(show "the same groups, drawings and hangers: " (equal before after))
(defun hangers-in (snap / n)
  (setq n 0)
  (foreach x snap
    (if (= (cdr (assoc 0 (car x))) "OVPLUMBPIPEARROW") (setq n (+ n (length (cadr x))))))
  n)
(show "hangers after reopening: " (hangers-in after))
