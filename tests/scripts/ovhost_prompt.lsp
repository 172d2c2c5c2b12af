; ovhost: --no-module -e "(princ \"from --eval\")" -e "(+ 1 2)" -i
; The order of scripts, --eval and the prompt; the prompt reads forms over several
; lines, shows each value, and ends at "quit".
(princ "from the script")
(terpri)
