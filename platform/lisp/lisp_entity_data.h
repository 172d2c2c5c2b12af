// Objects as LISP lists of DXF groups and back: what entget answers and what entmake
// takes. Both go through the objects' own DXF filing, so that a plug-in's entity is
// listed and made from its groups exactly as it writes and reads them in a DXF file.
#pragma once

#include "arx/db_database.h"
#include "lisp/lisp_value.h"

// The object's group list (it must be open for read):
//   (-1 . NAME) (0 . DXFNAME) (330 . OWNER) (5 . HANDLE) then every group its
//   dxfOutFields writes, in order (subclass markers included).
// Angles (groups 50 to 58) are given in radians, as LISP uses them; the DXF filing
// writes degrees. References are entity names, handles hex strings, booleans 0 or 1.
// A 2D polyline's vertices are not objects of their own here, so its list ends with
// one (10 X Y Z) group per vertex after the polyline's own groups: the first group 10
// is the polyline's (its z the elevation, as DXF has it), every later one a vertex.
// With applications (names, "*" for all), the object's extended data of those
// applications follows as (-3 ("APP" (1000 . "text") ...) ...).
LispValue lispObjectGroups(const AcDbObject* object, const LispArgs& applications = {});

// A new entity (in no database yet, the caller owns it) from a group list of the same
// form: the type from group 0, its data read by its dxfInFields, a polyline's
// vertices from the group-10 rule above. Groups -1, 5 and 330 name the object it was
// listed from and are ignored; the layer defaults to the current one. Null when the
// type is not an entity class the host knows or the entity refuses the data. A group
// that is not a (CODE . VALUE) pair with a value of its code's kind is a LispError
// "bad DXF group: ...".
// The layer is made when the drawing has no layer of that name.
AcDbEntity* lispEntityFromGroups(const LispArgs& groups, AcDbDatabase* db);

// An entity's group list with changes made to it, as entmod takes them: each group of
// the changes replaces the group of its code (the second of a code the second, for a
// polyline's vertices), and one the entity lacks is added (a colour, linetype or such
// after the layer, anything else at the end). The name, type, handle, owner and
// subclass markers of the changes are left out.
LispArgs lispMergedGroups(const LispArgs& current, const LispArgs& changes);
