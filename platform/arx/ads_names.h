// Entity names, the form in which LISP holds a drawing object, and the object ids
// plug-ins use: the two converted into each other.
#pragma once

#include "arx/db_id.h"
#include "arx/resbuf.h"

// The id behind an entity name. An erased object's name still converts (LISP keeps
// names of erased entities, and entdel can bring them back); a name of no object of
// an open drawing answers eUnknownHandle, a null name eNullObjectId. On failure id is
// null.
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name);
// The entity name of an id; a null id answers eNullObjectId and a zeroed name.
Acad::ErrorStatus acdbGetAdsName(ads_name& name, AcDbObjectId id);
