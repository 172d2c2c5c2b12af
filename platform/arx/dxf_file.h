// DXF drawings in memory and on disk: what AcDbDatabase::dxfIn and dxfOut do, with
// the text forms that the host and the tests use without a file.
#pragma once

#include <map>
#include <string>

#include "arx/db_database.h"

// What a DXF read took in and what it left out.
struct AcDbDxfInSummary {
  int entitiesRead = 0;
  // Entities of types the host does not read (or of blocks other than model and paper
  // space), by DXF type name.
  std::map<std::wstring, int> skippedEntities;
  // Table records that could not be taken over (a name the host refuses, a name
  // given twice).
  int skippedRecords = 0;
  int skippedEntityCount() const {
    int n = 0;
    for (const auto& [type, count] : skippedEntities) n += count;
    return n;
  }
};

// Writes the drawing as AutoCAD 2000 ASCII DXF. Reals get `precision` significant
// digits (1 to 17). With flatten, custom entities are written as the plain entities
// they draw and no custom class is listed. Proxy entities are left out: they have
// nothing to draw. On failure answers an error status with the reason in error.
Acad::ErrorStatus acdbDxfOutToText(AcDbDatabase& db, std::string& text, int precision, bool flatten,
                                   std::wstring& error);

// The same text as its header and the sections after it (header then body is the
// file), for a writer that puts them one after the other without joining them first.
Acad::ErrorStatus acdbDxfOutToPieces(AcDbDatabase& db, std::string& header, std::string& body, int precision,
                                     bool flatten, std::wstring& error);

// Reads DXF text into an empty database (one made with buildDefaultDrawing false).
// A refused text leaves the database empty and answers eBadFileFormat or
// eBadDxfSequence, the reason (with the line) in error. summary may be null.
Acad::ErrorStatus acdbDxfInFromText(AcDbDatabase& db, const std::string& text, AcDbDxfInSummary* summary,
                                    std::wstring& error);

// dxfIn with the summary of what was read; the file's error goes to lastFileError().
Acad::ErrorStatus acdbDxfIn(AcDbDatabase& db, const ACHAR* fileName, AcDbDxfInSummary* summary);
