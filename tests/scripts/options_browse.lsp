; ovhost: --ui $SCRIPT_DIR/options_browse.ui
; setup: --new-project .
; The block browser of the options dialog's block rows. It proposes the cell's block
; without trailing blanks and the characters no file name holds, or for an empty or
; unnamed 3D block cell the folder's first drawing, if any. The cell takes the chosen
; drawing's title (with or without its extension); Cancel or a missing file keeps the
; text the edit started with; only the two browse choices open it, not other spellings.
(ov_plumb-getLayer "LABEL" 1)
(vl-mkdir "blocks")
(vl-mkdir "empty")
(foreach file '("blocks/GATE.dwg" "blocks/b-valve.dwg" "blocks/A-valve.dwg" "blocks/notes.txt")
  (host-export-dxf file))
(foreach setting '(("ELEVLABEL TOP BLOCK" "VALVE 1  ") ("pipe-leaderBlockV" "a/b:c<d>e|f\"g\\h")
                   ("ELEVLABEL BOTTOM BLOCK" "") ("ELEVLABEL BOTH BLOCK" "<2D Block Name>-3d")
                   ("ELEVLABEL CENTERLINE BLOCK" " <2D Block Name>-3d"))
  (host-sql "UPDATE tblGlobal SET sText = ? WHERE sKey = ?" (cadr setting) (car setting)))
(defun blocks ()
  (foreach row (host-sql "SELECT sKey, sText FROM tblGlobal WHERE sKey LIKE '%block%' OR sKey = 'ELEVLABEL TOP LABEL' ORDER BY sKey")
    (print row)))
(ov_plumb-options "blocks/")
(blocks)
(ov_plumb-options "empty/")
(blocks)
