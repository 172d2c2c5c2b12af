// The LISP functions of the pipe-type customisation dialogs. Each takes an optional
// database file and answers nil.
#pragma once

// ov_plumb-pipeType [DATABASE-FILE]: the pipe types.
int ovLispPipeType();
// ov_plumb-pipeLabel [DATABASE-FILE]: the label formats.
int ovLispPipeLabel();
// ov_plumb-pipeLinetype [DATABASE-FILE]: the linetypes.
int ovLispPipeLinetype();
// ov_plumb-tblDwgValve SYMBOL-FOLDER [DATABASE-FILE]: the pipe symbol blocks.
int ovLispDwgValve();
// ov_plumb-insertFixtureConnection [DATABASE-FILE]: the next fixture connection's
// settings; answers T when the user pressed OK, nil otherwise.
int ovLispInsertFixtureConnection();
// ov_plumb-editFloorDefinition [FLOOR [DATABASE-FILE]]: the floors, shown again after
// each elevation the user picks; answers T after OK, nil otherwise.
int ovLispEditFloorDefinition();
// ov_plumb-alignmentPoint-Query AREA: the area dialog, inserting for -1; answers
// (("ixFloor" . key) ("sName" . name) ["ADD" . pipe type] ...), nil when cancelled.
int ovLispAlignmentPointQuery();
// ov_plumb-ProjectExplorer LIST DEVTYPE TEXT [DATABASE-FILE]: the project explorer,
// shown again after each query; answers (("state" . code) ("ixL" . object)
// ("devType" . kind)) for the row chosen last.
int ovLispProjectExplorer();
