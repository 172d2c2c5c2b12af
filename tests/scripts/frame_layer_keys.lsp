; setup: --new-project .
; The layer system argument of ov_plumb-getLayer: a text or a list is no system (and no
; layer is made), and a real is truncated (1.9 is New Work, not Existing). A drawing in
; a folder without a project gets nil after the connection message.
(defun show (label expr) (princ label) (prin1 (eval expr)) (terpri))
(terpri)
(show "a text for the system: " '(ov_plumb-getLayer "CW" "1"))
(show "a list of numbers: " '(ov_plumb-getLayer "CW" '(1 2)))
(show "a list of a text: " '(ov_plumb-getLayer "CW" '("a")))
(show "no layer made for those: " '(tblsearch "LAYER" "P-DOMW-CPIP"))
(show "a real system: " '(ov_plumb-getLayer "CW" 1.9))
(vl-mkdir "elsewhere")
(host-open "elsewhere/plan.hdw")
(show "without a project: " '(ov_plumb-getLayer "CW" 1))
