// The flow arrow's filed layouts of every release, written item by item and apart from
// the arrow's own filing: the tests make arrows of old versions with it and check the
// current writer against it, and the fuzz corpus maker files arrows of every version.
#pragma once

#include <vector>

#include "arx/db_filer.h"

// What an arrow files after its entity data, as plain values.
struct ArrowLayout {
  AcGePoint3d start, end;
  double arrowLength = 12.0;
  double tailOffset = 0.0, headOffset = 0.0;
  Adesk::Int32 ixPipe = 0;
  std::vector<double> hangers;
  bool reversed = false;
};

// Files the layout as the release of that version did: 1 points, length and key; 2 the
// offsets and every hanger as well; 3 the reversal too. A version above 3 stands for a
// later release: the third layout followed by a field this release cannot know. Any
// other version files the version item alone.
inline Acad::ErrorStatus writeArrowLayout(AcDbDwgFiler* filer, Adesk::Int32 version, const ArrowLayout& v) {
  filer->writeInt32(version);
  if (version == 1) {
    filer->writePoint3d(v.start);
    filer->writePoint3d(v.end);
    filer->writeDouble(v.arrowLength);
    filer->writeInt32(v.ixPipe);
  } else if (version >= 2) {
    filer->writePoint3d(v.start);
    filer->writePoint3d(v.end);
    filer->writeDouble(v.arrowLength);
    filer->writeDouble(v.tailOffset);
    filer->writeDouble(v.headOffset);
    filer->writeInt32(v.ixPipe);
    filer->writeInt32(static_cast<Adesk::Int32>(v.hangers.size()));
    for (double d : v.hangers) filer->writeDouble(d);
    if (version >= 3) filer->writeBool(v.reversed);
    if (version > 3) filer->writeString(L"a field of a later release");
  }
  return filer->filerStatus();
}
