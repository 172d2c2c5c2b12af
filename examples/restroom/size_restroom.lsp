; Sizes the restroom's four systems from the project, as a designer does once the
; fixtures are connected: the host program's sizing command adds up what each pipe
; serves, picks each size from the project's sizing tables, relabels the pipes and
; writes the schedule (restroom-schedule.csv); then the drawing is saved again and
; drawn as restroom_sized.svg. Run it on the drawing restroom.lsp made:
;   build/release/bin/ovhost -q -d restroom.hdw path/to/examples/restroom/size_restroom.lsp
(c:plumb-size)
(host-save "restroom.hdw")
(host-export-svg "restroom_sized.svg")
(princ "restroom: sized, wrote restroom.hdw, restroom-schedule.csv, restroom_sized.svg")
(terpri)
