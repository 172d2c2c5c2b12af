; ovhost: --no-module -i
; A form still open when the input ends is reported as the reader sees it.
