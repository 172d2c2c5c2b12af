// The user coordinate system of the current document and acedTrans, which carries
// points and displacements between it and the world coordinate system.
#pragma once

#include "arx/ge.h"
#include "arx/resbuf.h"

// Coordinate system codes acedTrans takes (as RTSHORT or RTLONG buffers).
constexpr int kTransWorld = 0;
constexpr int kTransUser = 1;

// Translates pt from one system to the other; with disp non-zero pt is a
// displacement (turned, not moved). A system is a code (RTSHORT or RTLONG: 0 world,
// 1 the UCS) or an extrusion direction (RT3DPOINT), which stands for the entity
// coordinate system of an entity with that normal. RTNORM; RTERROR for another code,
// a zero direction, a missing buffer, or a null point.
int acedTrans(const ads_point pt, const resbuf* from, const resbuf* to, int disp, ads_point result);

// The current UCS as the matrix taking UCS coordinates to world coordinates
// (identity with no document open).
Acad::ErrorStatus acedGetCurrentUCS(AcGeMatrix3d& ucsToWorld);
// Sets the current document's UCS. The matrix must be a rotation and a move (unit,
// perpendicular axes): eInvalidInput otherwise, eNoDatabase with no document open.
Acad::ErrorStatus acedSetCurrentUCS(const AcGeMatrix3d& ucsToWorld);

// The UCS of a plan view turned about the world Z axis: its origin, and its X axis
// along xDirection (only its x and y count). eInvalidInput for a direction with no
// length in the XY plane.
Acad::ErrorStatus hostPlanUcs(const AcGePoint3d& origin, const AcGeVector3d& xDirection, AcGeMatrix3d& ucsToWorld);
