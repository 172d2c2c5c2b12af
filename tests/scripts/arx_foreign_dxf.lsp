; ovhost: --no-module -d $SCRIPT_DIR/arx_simple_tool.dxf -d $SCRIPT_DIR/arx_ezdxf_r2010.dxf
; DXF files of other tools. A simple tool's: entities only, no handles, no subclass
; markers, CRLF line ends and blanks around the codes; a line on a layer no table
; defines, a light polyline with a bulge (read straight), a text (read as a multiline
; text anchored bottom left) and a hatch the host does not read; the standard records
; exist although the file has no tables. One ezdxf writes (AutoCAD 2010, UTF-8, every
; table and object AutoCAD writes): its plain entities under their handles, angles
; from degrees, its layer with colour and linetype; the block reference and the
; block's own entities are left out.
(defun show (label value) (princ label) (prin1 value) (terpri))
(defun entities (/ e)
  (setq e (entnext))
  (while e
    (show "  " (cons (cdr (assoc 0 (entget e))) (cddddr (entget e))))
    (setq e (entnext e))))
(host-activate (car (host-documents)))
(princ "-- the simple tool's\n")
(entities)
(show "layer: " (tblsearch "LAYER" "WALLS"))
(show "standard records: "
      (list (cdr (assoc 2 (tblsearch "LAYER" "0"))) (cdr (assoc 2 (tblsearch "LTYPE" "Continuous")))
            (cdr (assoc 2 (tblsearch "STYLE" "Standard")))))
(host-activate (cadr (host-documents)))
(princ "-- ezdxf's\n")
(entities)
(show "the line by its handle: " (cdr (assoc 0 (entget (handent "8B")))))
(show "layer: " (tblsearch "LAYER" "Pipes"))
(show "linetype: " (tblsearch "LTYPE" "DASHED"))
