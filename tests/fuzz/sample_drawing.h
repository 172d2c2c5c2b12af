// A small drawing with every plain entity kind and the table records a drawing file
// must keep; the file tests check it survives a save, the fuzz corpus starts from it.
#pragma once

#include "arx/db_database.h"

struct SampleDrawing {
  AcDbObjectId line, arc, circle, polyline, mtext;
  AcDbObjectId pipesLayer, lockedLayer, dashedLinetype, notesStyle;
};

// The application whose extended data the sample puts on model space.
constexpr const wchar_t* kSampleApp = L"OVSAMPLE";

// Fills a database made with its default drawing: layers "Pipes" (red, DASHED, the
// current layer) and "Locked" (a true colour, locked), the DASHED linetype, the text
// style "Notes", extended data on model space, and a line, an arc, a circle, a
// fit-curve polyline and a multiline text. Every object is closed afterwards.
SampleDrawing buildSampleDrawing(AcDbDatabase& db);

// Appends an entity to model space and closes it; answers its id.
AcDbObjectId appendToModelSpace(AcDbDatabase& db, AcDbEntity* ent);
