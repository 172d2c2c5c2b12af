// The one declaration of every project table's columns, in the order the file keeps them.

// The record classes, the row loading and sending, and the schema's CREATE TABLE
// statements are all expanded from these lists, so they cannot drift apart.
#pragma once

// Each list calls COLUMN(name, kind, nulls) once per column:
//   kind  Int (prefixes ix and i, 32-bit), Text (s), Real (d), Bool (b, stored -1/0);
//   nulls Nullable for a column the record keeps with a null mark, Plain otherwise.
// The first column is the key: "ix" followed by the table name without "tbl".

// ---- The project's customisation ----

#define OV_COLUMNS_tblPipeType(COLUMN)      \
  COLUMN(ixPipeType, Int, Plain)            \
  COLUMN(sName, Text, Plain)                \
  COLUMN(sShortName, Text, Plain)           \
  COLUMN(iSortOrder, Int, Plain)            \
  COLUMN(bReversed, Bool, Plain)            \
  COLUMN(iElbow, Int, Plain)                \
  COLUMN(iTee, Int, Plain)                  \
  COLUMN(bFittingTicks, Bool, Plain)        \
  COLUMN(iLabelLocation, Int, Plain)        \
  COLUMN(bHidePipe, Bool, Plain)            \
  COLUMN(ixMasterDatabase, Int, Nullable)   \
  COLUMN(iMasterDatabaseIndex, Int, Nullable)

#define OV_COLUMNS_tblPipeSize(COLUMN)      \
  COLUMN(ixPipeSize, Int, Plain)            \
  COLUMN(ixPipeType, Int, Plain)            \
  COLUMN(sLabel, Text, Plain)               \
  COLUMN(dInteriorDiameter, Real, Plain)    \
  COLUMN(dExteriorDiameter, Real, Plain)    \
  COLUMN(ixMasterDatabase, Int, Nullable)   \
  COLUMN(iMasterDatabaseIndex, Int, Nullable)

#define OV_COLUMNS_tblPipeSizingTable(COLUMN) \
  COLUMN(ixPipeSizingTable, Int, Plain)       \
  COLUMN(ixPipeType, Int, Plain)              \
  COLUMN(iSortOrder, Int, Plain)              \
  COLUMN(sName, Text, Plain)                  \
  COLUMN(bActive, Bool, Plain)                \
  COLUMN(bHorizontalOnly, Bool, Plain)

// bEnable has always been stored as a number, not a yes/no column, and the sizing
// code reads it as one: it stays a real here.
#define OV_COLUMNS_tblPipeSizingValue(COLUMN) \
  COLUMN(ixPipeSizingValue, Int, Plain)       \
  COLUMN(ixPipeSizingTable, Int, Plain)       \
  COLUMN(ixPipeSize, Int, Plain)              \
  COLUMN(dFlow, Real, Plain)                  \
  COLUMN(dFlowVertical, Real, Plain)          \
  COLUMN(bEnable, Real, Plain)

#define OV_COLUMNS_tblPipeLabel(COLUMN)      \
  COLUMN(ixPipeLabel, Int, Plain)            \
  COLUMN(ixPipeType, Int, Plain)             \
  COLUMN(ixLayerSystem, Int, Plain)          \
  COLUMN(sLabelFormat, Text, Plain)          \
  COLUMN(sLabelFormatIsometric, Text, Plain) \
  COLUMN(ixMasterDatabase, Int, Nullable)    \
  COLUMN(iMasterDatabaseIndex, Int, Nullable)

#define OV_COLUMNS_tblPipeLinetype(COLUMN) \
  COLUMN(ixPipeLinetype, Int, Plain)       \
  COLUMN(ixPipeType, Int, Plain)           \
  COLUMN(ixLayerSystem, Int, Plain)        \
  COLUMN(sLinetype, Text, Plain)           \
  COLUMN(dMinimumLength, Real, Plain)      \
  COLUMN(ixMasterDatabase, Int, Nullable)  \
  COLUMN(iMasterDatabaseIndex, Int, Nullable)

#define OV_COLUMNS_tblPipeLinetypeText(COLUMN) \
  COLUMN(ixPipeLinetypeText, Int, Plain)       \
  COLUMN(ixPipeType, Int, Plain)               \
  COLUMN(ixLayerSystem, Int, Plain)            \
  COLUMN(sLinetypeText, Text, Plain)           \
  COLUMN(bLinetypeTextRotateTo0, Bool, Plain)

#define OV_COLUMNS_tblPipeSumCategory(COLUMN) \
  COLUMN(ixPipeSumCategory, Int, Plain)       \
  COLUMN(sName, Text, Plain)                  \
  COLUMN(ixPipeType, Int, Plain)              \
  COLUMN(iOrder, Int, Plain)                  \
  COLUMN(iConversionType, Int, Plain)         \
  COLUMN(dMultiplier, Real, Plain)            \
  COLUMN(sLabelPrefix, Text, Nullable)        \
  COLUMN(sLabelSuffix, Text, Nullable)        \
  COLUMN(ixMasterDatabase, Int, Nullable)     \
  COLUMN(iMasterDatabaseIndex, Int, Nullable)

#define OV_COLUMNS_tblPipeFlowLookup(COLUMN) \
  COLUMN(ixPipeFlowLookup, Int, Plain)       \
  COLUMN(ixPipeSumCategory, Int, Plain)      \
  COLUMN(iFixtures, Int, Plain)              \
  COLUMN(dFlow, Real, Plain)                 \
  COLUMN(ixPipeSizeMin, Int, Nullable)

#define OV_COLUMNS_tblDwgValve(COLUMN)    \
  COLUMN(ixDwgValve, Int, Plain)          \
  COLUMN(iSortOrder, Int, Plain)          \
  COLUMN(sDescription, Text, Plain)       \
  COLUMN(sBlockName, Text, Plain)         \
  COLUMN(bToScale, Bool, Plain)           \
  COLUMN(ixMasterDatabase, Int, Nullable) \
  COLUMN(iMasterDatabaseIndex, Int, Nullable)

#define OV_COLUMNS_tblValveSGroup(COLUMN) \
  COLUMN(ixValveSGroup, Int, Plain)       \
  COLUMN(sName, Text, Plain)

#define OV_COLUMNS_tblValveS(COLUMN)       \
  COLUMN(ixValveS, Int, Plain)             \
  COLUMN(ixDwgValve, Int, Plain)           \
  COLUMN(ixValveSGroup, Int, Plain)        \
  COLUMN(sName, Text, Plain)               \
  COLUMN(dFU, Real, Plain)                 \
  COLUMN(sScheduleNote1, Text, Plain)      \
  COLUMN(sScheduleNote2, Text, Plain)      \
  COLUMN(sScheduleNote3, Text, Plain)      \
  COLUMN(sDwgNote1, Text, Plain)           \
  COLUMN(sDwgNote2, Text, Plain)           \
  COLUMN(sDwgNote3, Text, Plain)           \
  COLUMN(bShowInSchedule, Bool, Plain)     \
  COLUMN(bIncludeOnIsometric, Bool, Plain) \
  COLUMN(bIncludeOnPlanView, Bool, Plain)

#define OV_COLUMNS_tblValveM(COLUMN) \
  COLUMN(ixValveM, Int, Plain)       \
  COLUMN(ixDwgValve, Int, Plain)

#define OV_COLUMNS_tblFloor(COLUMN)         \
  COLUMN(ixFloor, Int, Plain)               \
  COLUMN(ixFloorAbove, Int, Nullable)       \
  COLUMN(sName, Text, Plain)                \
  COLUMN(dElevation, Real, Plain)           \
  COLUMN(dCeilingHeight, Real, Plain)       \
  COLUMN(dFloorToFloorHeight, Real, Plain)  \
  COLUMN(ixElecFloor, Int, Nullable)        \
  COLUMN(ixHVACFloor, Int, Nullable)

#define OV_COLUMNS_tblAlignmentPointArea(COLUMN) \
  COLUMN(ixAlignmentPointArea, Int, Plain)       \
  COLUMN(ixFloor, Int, Plain)                    \
  COLUMN(sName, Text, Plain)                     \
  COLUMN(sDrawing, Text, Plain)                  \
  COLUMN(iAlignmentPointNumber, Int, Plain)      \
  COLUMN(dXMin, Real, Nullable)                  \
  COLUMN(dXMax, Real, Nullable)                  \
  COLUMN(dYMin, Real, Nullable)                  \
  COLUMN(dYMax, Real, Nullable)                  \
  COLUMN(dX, Real, Nullable)                     \
  COLUMN(dY, Real, Nullable)                     \
  COLUMN(dAngle, Real, Nullable)                 \
  COLUMN(bDeleted, Bool, Plain)

#define OV_COLUMNS_tblPipeAreaMap(COLUMN)  \
  COLUMN(ixPipeAreaMap, Int, Plain)        \
  COLUMN(ixAlignmentPointArea, Int, Plain) \
  COLUMN(ixPipeType, Int, Plain)

#define OV_COLUMNS_tblIsometricFloor(COLUMN) \
  COLUMN(ixIsometricFloor, Int, Plain)       \
  COLUMN(ixFloor, Int, Plain)

#define OV_COLUMNS_tblLabelGroup(COLUMN) \
  COLUMN(ixLabelGroup, Int, Plain)       \
  COLUMN(sKey, Text, Plain)              \
  COLUMN(sGroup, Text, Plain)            \
  COLUMN(bDisplay, Bool, Plain)          \
  COLUMN(sLabel, Text, Plain)

// ---- Placed pipes and valves and their flow sums ----

#define OV_COLUMNS_tblPipe(COLUMN)                \
  COLUMN(ixPipe, Int, Plain)                      \
  COLUMN(ixLayerSystem, Int, Plain)               \
  COLUMN(ixValveLNext, Int, Nullable)             \
  COLUMN(ixValveLPrevious, Int, Nullable)         \
  COLUMN(iValvePreviousPoint, Int, Nullable)      \
  COLUMN(ixPipeRiserPrevious, Int, Nullable)      \
  COLUMN(ixPipeType, Int, Plain)                  \
  COLUMN(dSize, Real, Plain)                      \
  COLUMN(dExteriorLining, Real, Plain)            \
  COLUMN(dSizeMinimum, Real, Plain)               \
  COLUMN(dDistanceToFarthestFixture, Real, Plain) \
  COLUMN(dMaxFixtureZ, Real, Plain)               \
  COLUMN(dX1, Real, Plain)                        \
  COLUMN(dY1, Real, Plain)                        \
  COLUMN(dZ1, Real, Plain)                        \
  COLUMN(dX2, Real, Plain)                        \
  COLUMN(dY2, Real, Plain)                        \
  COLUMN(dZ2, Real, Plain)                        \
  COLUMN(dOffsetPlan, Real, Nullable)             \
  COLUMN(sDrawing, Text, Plain)                   \
  COLUMN(sOffsetZ, Text, Plain)                   \
  COLUMN(sOffsetY, Text, Plain)                   \
  COLUMN(iAlignmentPointNumber, Int, Plain)       \
  COLUMN(bDeleted, Bool, Plain)                   \
  COLUMN(bPTrap, Bool, Plain)                     \
  COLUMN(dDistanceFromSource, Real, Plain)        \
  COLUMN(dHangerZ, Real, Plain)                   \
  COLUMN(dHangerSize, Real, Plain)                \
  COLUMN(dHangerDepth, Real, Plain)               \
  COLUMN(dHangerStartOffset, Real, Plain)         \
  COLUMN(dHangerSpacing, Real, Plain)             \
  COLUMN(dHangerEndOffset, Real, Plain)           \
  COLUMN(dHangerLeftExtension, Real, Plain)       \
  COLUMN(dHangerRightExtension, Real, Plain)      \
  COLUMN(iHangerType, Int, Plain)                 \
  COLUMN(ixPipeSize, Int, Plain)                  \
  COLUMN(ixPipeSizingTable, Int, Nullable)        \
  COLUMN(bSizeLocked, Bool, Plain)                \
  COLUMN(bTransparent, Bool, Plain)

#define OV_COLUMNS_tblPipeSum(COLUMN)   \
  COLUMN(ixPipeSum, Int, Plain)         \
  COLUMN(ixPipe, Int, Plain)            \
  COLUMN(ixPipeSumCategory, Int, Plain) \
  COLUMN(bFixed, Bool, Plain)           \
  COLUMN(dValue, Real, Plain)

#define OV_COLUMNS_tblValveL(COLUMN)        \
  COLUMN(ixValveL, Int, Plain)              \
  COLUMN(ixValveS, Int, Plain)              \
  COLUMN(ixLayerSystem, Int, Plain)         \
  COLUMN(ixPipeType, Int, Plain)            \
  COLUMN(sDwgNote1, Text, Nullable)         \
  COLUMN(sDwgNote2, Text, Nullable)         \
  COLUMN(sDwgNote3, Text, Nullable)         \
  COLUMN(dX, Real, Plain)                   \
  COLUMN(dY, Real, Plain)                   \
  COLUMN(dZ, Real, Plain)                   \
  COLUMN(bMirrored, Bool, Plain)            \
  COLUMN(dRotation, Real, Plain)            \
  COLUMN(sDrawing, Text, Plain)             \
  COLUMN(iAlignmentPointNumber, Int, Plain) \
  COLUMN(bDeleted, Bool, Plain)

// ---- The framework's settings and layers ----
// Every value here may be missing in older projects, so all but the key carry a null
// mark and the readers ask whether a value is present.

#define OV_COLUMNS_tblGlobal(COLUMN) \
  COLUMN(ixGlobal, Int, Plain)       \
  COLUMN(sKey, Text, Nullable)       \
  COLUMN(bNumeric, Bool, Nullable)   \
  COLUMN(sText, Text, Nullable)      \
  COLUMN(dNumber, Real, Nullable)

#define OV_COLUMNS_tblLayer(COLUMN)       \
  COLUMN(ixLayer, Int, Plain)             \
  COLUMN(sName, Text, Nullable)           \
  COLUMN(bRGBColor, Bool, Nullable)       \
  COLUMN(iColor, Int, Nullable)           \
  COLUMN(iRed, Int, Nullable)             \
  COLUMN(iGreen, Int, Nullable)           \
  COLUMN(iBlue, Int, Nullable)            \
  COLUMN(sLinetype, Text, Nullable)       \
  COLUMN(bPlot, Bool, Nullable)           \
  COLUMN(sLineweight, Text, Nullable)     \
  COLUMN(sPlotstyle, Text, Nullable)      \
  COLUMN(ixMasterDatabase, Int, Nullable) \
  COLUMN(iMasterDatabaseIndex, Int, Nullable)

#define OV_COLUMNS_tblLayerKey(COLUMN)    \
  COLUMN(ixLayerKey, Int, Plain)          \
  COLUMN(ixLayerSystem, Int, Nullable)    \
  COLUMN(ixLayer, Int, Nullable)          \
  COLUMN(sKey, Text, Nullable)            \
  COLUMN(ixMasterDatabase, Int, Nullable) \
  COLUMN(iMasterDatabaseIndex, Int, Nullable)

// The hatch settings have no type prefix: on, type, pattern, angle and scale are a
// yes/no, a whole number, a pattern name and two reals.
#define OV_COLUMNS_tblLayerSystem(COLUMN)    \
  COLUMN(ixLayerSystem, Int, Plain)          \
  COLUMN(sDescription, Text, Nullable)       \
  COLUMN(iSortOrder, Int, Nullable)          \
  COLUMN(ixMasterDatabase, Int, Nullable)    \
  COLUMN(iMasterDatabaseIndex, Int, Nullable) \
  COLUMN(bSolid, Bool, Nullable)             \
  COLUMN(sPrefix, Text, Nullable)            \
  COLUMN(sSuffix, Text, Nullable)            \
  COLUMN(supplyHatchOn, Bool, Nullable)      \
  COLUMN(supplyHatchType, Int, Nullable)     \
  COLUMN(supplyHatchPattern, Text, Nullable) \
  COLUMN(supplyHatchAngle, Real, Nullable)   \
  COLUMN(supplyHatchScale, Real, Nullable)   \
  COLUMN(returnHatchOn, Bool, Nullable)      \
  COLUMN(returnHatchType, Int, Nullable)     \
  COLUMN(returnHatchPattern, Text, Nullable) \
  COLUMN(returnHatchAngle, Real, Nullable)   \
  COLUMN(returnHatchScale, Real, Nullable)   \
  COLUMN(exhaustHatchOn, Bool, Nullable)     \
  COLUMN(exhaustHatchType, Int, Nullable)    \
  COLUMN(exhaustHatchPattern, Text, Nullable) \
  COLUMN(exhaustHatchAngle, Real, Nullable)  \
  COLUMN(exhaustHatchScale, Real, Nullable)  \
  COLUMN(outsideHatchOn, Bool, Nullable)     \
  COLUMN(outsideHatchType, Int, Nullable)    \
  COLUMN(outsideHatchPattern, Text, Nullable) \
  COLUMN(outsideHatchAngle, Real, Nullable)  \
  COLUMN(outsideHatchScale, Real, Nullable)  \
  COLUMN(bHatchFlexDucts, Bool, Nullable)    \
  COLUMN(dHatchOverhang, Real, Nullable)

// The project's text styles, cached by the project record beside the layer tables.
#define OV_COLUMNS_tblTextStyle(COLUMN) \
  COLUMN(ixTextStyle, Int, Plain)       \
  COLUMN(sName, Text, Nullable)         \
  COLUMN(sFont, Text, Nullable)         \
  COLUMN(dHeight, Real, Nullable)

// Every table, in the order the schema creates them.
#define OV_PROJECT_TABLES(TABLE)                                                        \
  TABLE(tblPipeType) TABLE(tblPipeSize) TABLE(tblPipeSizingTable) TABLE(tblPipeSizingValue) \
  TABLE(tblPipeLabel) TABLE(tblPipeLinetype) TABLE(tblPipeLinetypeText)                 \
  TABLE(tblPipeSumCategory) TABLE(tblPipeFlowLookup) TABLE(tblDwgValve)                 \
  TABLE(tblValveSGroup) TABLE(tblValveS) TABLE(tblValveM) TABLE(tblFloor)               \
  TABLE(tblAlignmentPointArea) TABLE(tblPipeAreaMap) TABLE(tblIsometricFloor)           \
  TABLE(tblLabelGroup) TABLE(tblPipe) TABLE(tblPipeSum) TABLE(tblValveL)                \
  TABLE(tblGlobal) TABLE(tblLayer) TABLE(tblLayerKey) TABLE(tblLayerSystem)             \
  TABLE(tblTextStyle)
