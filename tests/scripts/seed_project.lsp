; setup: --new-project .
; A new project's standard customisation, read back as the dialogs and the LISP program
; read it: every pipe type with sizes and one active sizing table whose flows grow with
; the bore, a label group per sizing table, ascending flow lookups with the additional
; multiplier last, a default layer and a key per pipe type in each layer system, the
; settings by kind, and one floor with one area open to every pipe type.
(ov_plumb-getLayer "LABEL" 1)
(defun show (label sql) (princ label) (prin1 (host-sql sql)) (terpri))
(terpri)
; Per type: name, sizes, active tables, sizes of the active table without a value,
; repeated labels, labels not in inches, walls not between 0 and 1 inch, bores not
; growing, flows (horizontal not growing, vertical not rising) with the bore, sum
; categories.
(foreach row (host-sql
  "WITH s AS (SELECT ixPipeType, sLabel, dInteriorDiameter AS di, dExteriorDiameter AS de,
                     lag(dInteriorDiameter) OVER (PARTITION BY ixPipeType ORDER BY dInteriorDiameter) AS prev
              FROM tblPipeSize),
        f AS (SELECT s.ixPipeType, v.dFlow, v.dFlowVertical,
                     lag(v.dFlow) OVER (PARTITION BY s.ixPipeType ORDER BY s.dInteriorDiameter) AS ph,
                     lag(v.dFlowVertical) OVER (PARTITION BY s.ixPipeType ORDER BY s.dInteriorDiameter) AS pv
              FROM tblPipeSizingValue v JOIN tblPipeSize s ON s.ixPipeSize = v.ixPipeSize
                   JOIN tblPipeSizingTable t ON t.ixPipeSizingTable = v.ixPipeSizingTable
              WHERE t.bActive = -1 AND v.bEnable <> 0)
   SELECT t.sName,
          (SELECT count(*) FROM s WHERE s.ixPipeType = t.ixPipeType),
          (SELECT count(*) FROM tblPipeSizingTable a WHERE a.ixPipeType = t.ixPipeType AND a.bActive = -1),
          (SELECT count(*) FROM tblPipeSize z WHERE z.ixPipeType = t.ixPipeType AND z.ixPipeSize NOT IN
             (SELECT v.ixPipeSize FROM tblPipeSizingValue v JOIN tblPipeSizingTable a USING (ixPipeSizingTable)
              WHERE a.ixPipeType = t.ixPipeType AND a.bActive = -1)),
          (SELECT count(*) - count(DISTINCT sLabel) FROM s WHERE s.ixPipeType = t.ixPipeType),
          (SELECT count(*) FROM s WHERE s.ixPipeType = t.ixPipeType AND sLabel NOT LIKE '%\"'),
          (SELECT count(*) FROM s WHERE s.ixPipeType = t.ixPipeType AND NOT (de > di AND de - di < 1.0)),
          (SELECT count(*) FROM s WHERE s.ixPipeType = t.ixPipeType AND prev >= di),
          (SELECT count(*) FROM f WHERE f.ixPipeType = t.ixPipeType),
          (SELECT count(*) FROM f WHERE f.ixPipeType = t.ixPipeType AND (dFlow < ph OR dFlowVertical <= pv)),
          (SELECT count(*) FROM tblPipeSumCategory c WHERE c.ixPipeType = t.ixPipeType)
   FROM tblPipeType t ORDER BY t.iSortOrder")
  (print row))
(terpri)
; 1" type L copper has a 1.025" bore: at 8 ft/s it carries 20.6 gpm.
(show "1\" cold water: " "SELECT round(v.dFlow, 1) FROM tblPipeSizingValue v
  JOIN tblPipeSize s USING (ixPipeSize) JOIN tblPipeSizingTable t USING (ixPipeSizingTable)
  JOIN tblPipeType p ON p.ixPipeType = s.ixPipeType
  WHERE p.sName = 'Domestic Cold Water' AND s.sLabel = '1\"' AND t.bActive = -1")
(show "tables without their title or vertical flow label: " "SELECT count(*) FROM tblPipeSizingTable t WHERE
  (SELECT sLabel FROM tblLabelGroup WHERE sKey = 'Schedule Title' AND sGroup = 'Pipe Sizing Table:' || t.ixPipeSizingTable) IS NOT t.sName
  OR (SELECT count(*) FROM tblLabelGroup WHERE sKey = 'Vertical Flow' AND sGroup = 'Pipe Sizing Table:' || t.ixPipeSizingTable) <> 1")
; Per lookup category: rows, the last row's fixtures, rows not ascending before it.
(show "flow lookups: " "WITH l AS (SELECT ixPipeSumCategory AS c, ixPipeFlowLookup AS ix, iFixtures AS n, dFlow AS q,
    lag(iFixtures) OVER (PARTITION BY ixPipeSumCategory ORDER BY ixPipeFlowLookup) AS pn,
    lag(dFlow) OVER (PARTITION BY ixPipeSumCategory ORDER BY ixPipeFlowLookup) AS pq FROM tblPipeFlowLookup)
  SELECT c, count(*), (SELECT n FROM l AS k WHERE k.c = l.c ORDER BY ix DESC LIMIT 1),
         sum(n <> -1 AND (n <= 0 OR q <= 0 OR n <= pn OR q <= pq)) FROM l GROUP BY c ORDER BY c")
; Per layer system: its default layer, and the pipe types without a key of their own.
(show "layer systems: " "SELECT s.sDescription, l.sName, (SELECT count(*) FROM tblPipeType t WHERE NOT EXISTS
    (SELECT 1 FROM tblLayerKey k WHERE k.ixLayerSystem = s.ixLayerSystem AND k.sKey = t.sShortName))
  FROM tblLayerSystem s JOIN tblLayerKey d ON d.ixLayerSystem = s.ixLayerSystem AND d.sKey = 'DEFAULT'
  JOIN tblLayer l ON l.ixLayer = d.ixLayer ORDER BY s.iSortOrder")
; Settings by kind: numbers above 0 and others, texts not empty and empty, other kinds.
(show "settings: " "SELECT sum(bNumeric = -1 AND dNumber > 0), sum(bNumeric = -1 AND NOT dNumber > 0),
  sum(bNumeric = 0 AND sText <> ''), sum(bNumeric = 0 AND sText = ''), sum(bNumeric NOT IN (0, -1)) FROM tblGlobal")
(show "choices: " "SELECT sKey, sText FROM tblGlobal WHERE sKey IN
  ('pipe-verticalMethod', 'scheduleTitleJustification', 'stackedFractions', 'DrawHangers2D') ORDER BY sKey")
(show "floors: " "SELECT sName, dElevation, dCeilingHeight, dFloorToFloorHeight FROM tblFloor")
(show "areas of the floor, open to types: " "SELECT count(*), (SELECT count(*) FROM tblPipeAreaMap m
  WHERE m.ixAlignmentPointArea = a.ixAlignmentPointArea) FROM tblAlignmentPointArea a JOIN tblFloor USING (ixFloor)
  WHERE a.bDeleted = 0")
; Rows added with few columns: plain columns read 0 and blank, nullable ones nil.
(host-sql "INSERT INTO tblFloor (sName) VALUES ('Roof')")
(host-sql "INSERT INTO tblFloor (dElevation) VALUES (12)")
(show "few columns: " "SELECT sName, dElevation, dCeilingHeight, ixFloorAbove, ixHVACFloor FROM tblFloor WHERE ixFloor > 1 ORDER BY ixFloor")
