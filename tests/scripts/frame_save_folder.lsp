; setup: --new-project .
; A drawing's project follows the folder it is saved in: saving under a name in another
; folder moves it to that folder's project (here none, so the module cannot connect),
; and back again; an automatic save into another folder and a save under its own name
; change nothing.
(defun show (label expr) (princ label) (prin1 (eval expr)) (terpri))
(terpri)
(show "here: " '(ov_plumb-getLayer "CW" 1))
(vl-mkdir "elsewhere")
(setvar "SAVEFILEPATH" (strcat (getvar "DWGPREFIX") "elsewhere"))
(show "saved automatically: " '(host-autosave))
(host-save)
(show "after both: " '(list (getvar "DWGNAME") (ov_plumb-getLayer "CW" 1)))
(host-save "elsewhere/renamed.hdw")
(show "saved elsewhere: " '(list (getvar "DWGNAME") (ov_plumb-getLayer "CW" 1)))
(host-save (strcat (getvar "DWGPREFIX") "../back.hdw"))
(show "saved back: " '(list (getvar "DWGNAME") (ov_plumb-getLayer "CW" 1)))
