; setup: --new-project .
; Layer keys of the standard project become layers of the drawing, made with the
; row's colour the first time; a key the project lacks falls back to layer "0".
(defun show (label expr) (princ label) (prin1 (eval expr)) (terpri))
(terpri)
(show "cold water, new work: " '(ov_plumb-getLayer "CW" 1))
(show "made with colour: " '(cdr (assoc 62 (tblsearch "LAYER" "P-DOMW-CPIP"))))
(show "vent, no system: " '(ov_plumb-getLayer "V" nil))
(show "no system as 0: " '(ov_plumb-getLayer "V" 0))
(show "only DEFAULT in existing: " '(ov_plumb-getLayer "NOSUCH" 2))
(show "unknown system: " '(ov_plumb-getLayer "NOSUCH" 7))
(show "system T: " '(ov_plumb-getLayer "CW" T))
(show "no system given: " '(ov_plumb-getLayer "CW"))
(show "a number for the key: " '(ov_plumb-getLayer 5 1))
(show "disconnect: " '(ov_plumb-disconnect))
(show "connects again: " '(ov_plumb-getLayer "HW" 2))
