; ovhost: --no-module -i
; At the prompt, the input functions and the list prompt read their answers from the
; lines typed after the form that asks.
